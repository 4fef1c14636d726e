#include "mqtt/BrokerAddress.h"

#include <QUrl>

namespace tarnix::mqtt {

namespace {

constexpr int PlainPort = 1883;
constexpr int TlsPort = 8883;

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
    if (prefix.endsWith(u'/') || prefix.contains(QChar(0)))
        return QStringLiteral("--topic takes a PREFIX such as lab/bench1, not \"%1\"").arg(prefix);
    return {};
}

} // namespace tarnix::mqtt
