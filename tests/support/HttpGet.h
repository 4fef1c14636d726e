#pragma once

#include <QTcpServer>
#include <QTcpSocket>

// A port nobody listens on just now.
inline quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The body of a GET on this machine's `port`, on a connection of its own
// (HTTP/1.0: the body comes whole, not in chunks); empty unless it answered 200.
inline QByteArray httpGet(quint16 port, const QByteArray& target) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write("GET " + target + " HTTP/1.0\r\n\r\n");
    QByteArray got;
    while (socket.waitForReadyRead(5000))
        got += socket.readAll();
    if (!got.startsWith("HTTP/1.1 200") && !got.startsWith("HTTP/1.0 200"))
        return {};
    return got.mid(got.indexOf("\r\n\r\n") + 4);
}
