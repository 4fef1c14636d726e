#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QString>
#include <optional>

namespace tarnix::http {

// Where the server listens: --http [ADDR:]PORT. None given is 127.0.0.1,
// open to the programs of this machine; any other address but a loopback
// one asks for a token.
struct ListenAddress {
    QHostAddress address = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 0;
    bool addressGiven = false;
};
// "8080", "0.0.0.0:8080", "[::]:8080", "192.168.1.20:80"; nothing, with
// the reason, for anything else.
std::optional<ListenAddress> parseListenAddress(const QString& text, QString* error);

// The token requests must carry, if any. A request shows it as
// "Authorization: Bearer TOKEN" or, for the page's event stream, which
// cannot set a header, as ?token=TOKEN.
bool tokenAccepted(QByteArrayView expected, QByteArrayView authorization,
                   QByteArrayView queryToken);

// The token the server wants, from TARNIX_HTTP_TOKEN or else systemd's
// credential "http-token" ($CREDENTIALS_DIRECTORY/http-token); empty when
// neither is set. An address beyond this machine with no token is refused.
struct TokenSource {
    QByteArray environment; // TARNIX_HTTP_TOKEN
    QString credentialsDir; // $CREDENTIALS_DIRECTORY
};
std::optional<QByteArray> serverToken(const ListenAddress& listen, const TokenSource& source,
                                      QString* error);

} // namespace tarnix::http
