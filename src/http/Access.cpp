#include "http/Access.h"

#include <QFile>

namespace tarnix::http {

std::optional<ListenAddress> parseListenAddress(const QString& text, QString* error) {
    ListenAddress listen;
    QString port = text;
    const qsizetype colon = text.lastIndexOf(u':');
    if (colon >= 0) {
        QString host = text.left(colon);
        port = text.mid(colon + 1);
        if (host.startsWith(u'[') && host.endsWith(u']'))
            host = host.mid(1, host.size() - 2);
        else if (host.contains(u':'))
            host.clear(); // an IPv6 address is written in brackets
        if (!listen.address.setAddress(host)) {
            *error = QStringLiteral("--http %1: the address is no IPv4 address or [IPv6] "
                                    "address")
                         .arg(text);
            return std::nullopt;
        }
        listen.addressGiven = true;
    }
    bool ok = false;
    const uint number = port.toUInt(&ok);
    if (!ok || number == 0 || number > 65535 || port.startsWith(u'+')) {
        *error = QStringLiteral("--http %1: the port is a number from 1 to 65535").arg(text);
        return std::nullopt;
    }
    listen.port = quint16(number);
    return listen;
}

bool tokenAccepted(QByteArrayView expected, QByteArrayView authorization,
                   QByteArrayView queryToken) {
    if (expected.isEmpty())
        return true;
    QByteArrayView given = queryToken;
    if (authorization.startsWith("Bearer "))
        given = authorization.sliced(7).trimmed();
    // Every byte is compared, so the time taken tells nothing of the token.
    unsigned difference = unsigned(given.size() ^ expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        difference |= unsigned(char(expected[i]) ^ (i < given.size() ? char(given[i]) : 0));
    return difference == 0;
}

std::optional<QByteArray> serverToken(const ListenAddress& listen, const TokenSource& source,
                                      QString* error) {
    QByteArray token = source.environment.trimmed();
    if (token.isEmpty() && !source.credentialsDir.isEmpty()) {
        QFile credential(source.credentialsDir + QStringLiteral("/http-token"));
        if (credential.open(QIODevice::ReadOnly))
            token = credential.read(4096).trimmed();
    }
    if (!listen.address.isLoopback() && token.isEmpty()) {
        *error = QStringLiteral("--http %1: a server on an address of its own wants a token: "
                                "set TARNIX_HTTP_TOKEN, or the service's credential http-token")
                     .arg(listen.address.toString());
        return std::nullopt;
    }
    return token;
}

} // namespace tarnix::http
