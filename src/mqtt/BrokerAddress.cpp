#include "mqtt/BrokerAddress.h"

#include <QUrl>
#include <algorithm>

namespace tarnix::mqtt {

namespace {

constexpr int PlainPort = 1883;
constexpr int TlsPort = 8883;

// A topic or user name travels as a string of at most 65535 bytes of UTF-8,
// without NUL; libmosquitto also refuses the other control characters and
// the non-characters, and would fail every publish on them.
constexpr qsizetype LongestString = 65535;
// The longest topic published under a prefix: PREFIX/reading (/status, /meter).
constexpr qsizetype LongestLeaf = sizeof("/reading") - 1;

bool isRefusedCharacter(char32_t c) {
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || (c >= 0xfdd0 && c <= 0xfdef) ||
           (c & 0xfffe) == 0xfffe;
}

bool holdsRefusedCharacter(const QString& text) {
    const auto codePoints = text.toUcs4();
    return std::any_of(codePoints.begin(), codePoints.end(),
                       [](uint c) { return isRefusedCharacter(char32_t(c)); });
}

} // namespace

QString BrokerAddress::label() const {
    const QString shownHost = host.contains(u':') ? u'[' + host + u']' : host;
    return QStringLiteral("%1:%2").arg(shownHost).arg(port);
}

std::variant<BrokerAddress, QString> parseBrokerUrl(const QString& url) {
    const QString form =
        QStringLiteral("--mqtt takes mqtt://host[:port] or mqtts://host[:port], not \"%1\"")
            .arg(url);
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid())
        return form;
    BrokerAddress address;
    const QString scheme = parsed.scheme();
    if (scheme == u"mqtts")
        address.tls = true;
    else if (scheme != u"mqtt")
        return form;
    if (!parsed.password().isEmpty())
        return QStringLiteral("put the broker password in TARNIX_MQTT_PASSWORD, not in the URL, "
                              "where ps would show it");
    if (parsed.host().isEmpty() || (!parsed.path().isEmpty() && parsed.path() != u"/") ||
        parsed.hasQuery() || parsed.hasFragment())
        return form;
    address.host = parsed.host();
    address.user = parsed.userName();
    // "mqtt://@host" asks for a login without saying whose.
    if (!parsed.userInfo().isNull() && address.user.isEmpty())
        return QStringLiteral("--mqtt has an empty user name before @: give user@host, or host "
                              "alone to log in without one");
    if (address.user.toUtf8().size() > LongestString || holdsRefusedCharacter(address.user))
        return form;
    address.port = parsed.port(address.tls ? TlsPort : PlainPort);
    if (address.port < 1)
        return form;
    return address;
}

QString topicPrefixProblem(const QString& prefix) {
    if (prefix.isEmpty())
        return QStringLiteral("--topic needs a PREFIX such as lab/bench1");
    if (prefix.contains(u'+') || prefix.contains(u'#'))
        return QStringLiteral("--topic cannot hold + or #, which only subscribers use: \"%1\"")
            .arg(prefix);
    if (prefix.startsWith(u'$'))
        return QStringLiteral("--topic cannot start with $, which marks the broker's own topics: "
                              "\"%1\"")
            .arg(prefix);
    if (prefix.toUtf8().size() + LongestLeaf > LongestString)
        return QStringLiteral("--topic is %1 bytes long; PREFIX/reading must fit in %2 bytes "
                              "of UTF-8")
            .arg(prefix.toUtf8().size())
            .arg(LongestString);
    if (prefix.endsWith(u'/') || holdsRefusedCharacter(prefix))
        return QStringLiteral("--topic takes a PREFIX such as lab/bench1, not \"%1\"").arg(prefix);
    return {};
}

} // namespace tarnix::mqtt
