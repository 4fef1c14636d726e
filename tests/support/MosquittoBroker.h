#pragma once

#include "support/ProgramRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

// A mosquitto of the test's own on 127.0.0.1 and a free port, with its own
// configuration file in `dir`; any broker the system runs is left alone.
class MosquittoBroker {
public:
    static QString program() { return QStandardPaths::findExecutable("mosquitto", {"/usr/sbin"}); }

    // `extra` is added to the configuration (a password file, say).
    MosquittoBroker(const QString& dir, const QByteArray& extra = "allow_anonymous true\n")
        : m_config(dir + QStringLiteral("/mosquitto.conf")), m_port(freePort()) {
        QFile file(m_config);
        if (file.open(QIODevice::WriteOnly))
            // Started by root, it stays root to read the test's own files.
            file.write("listener " + QByteArray::number(m_port) + " 127.0.0.1\nuser root\n" +
                       extra + "persistence true\npersistence_location " + QFile::encodeName(dir) +
                       "/\nlog_dest stderr\n");
    }

    // True once it listens.
    bool start() {
        m_run = std::make_unique<ProgramRun>(program());
        m_run->start({QStringLiteral("-c"), m_config});
        return waitUntil([this] { return m_run->err().contains(" running"); }, 5000);
    }
    // SIGTERM: the broker keeps its sessions on disk for the next start.
    bool stop() {
        m_run->signal(SIGTERM);
        return m_run->finished();
    }
    int port() const { return m_port; }

private:
    static int freePort() {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof address;
        ::bind(s, reinterpret_cast<sockaddr*>(&address), size);
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
        ::close(s);
        return ntohs(address.sin_port);
    }

    QString m_config;
    int m_port;
    std::unique_ptr<ProgramRun> m_run;
};

// mosquitto_sub on that broker, each message gathered as "RETAIN TOPIC PAYLOAD".
class Subscriber {
public:
    Subscriber(const MosquittoBroker& broker, const QStringList& options)
        : m_run(QStandardPaths::findExecutable(QStringLiteral("stdbuf"))) {
        // Line-buffered: its debug lines say when it has subscribed.
        m_run.start(QStringList{"-oL", "mosquitto_sub", "-h", "127.0.0.1", "-p",
                                QString::number(broker.port()), "-d", "-q", "1", "-F", "%r %t %p"} +
                    options);
    }
    // Subscribed: what is published from now on reaches it.
    bool ready() {
        return waitUntil([this] { return m_run.out().contains("SUBACK"); });
    }
    QStringList messages() const {
        static const QRegularExpression message(QStringLiteral("^[01] "));
        return QString::fromUtf8(m_run.out()).split(u'\n').filter(message);
    }
    bool waitFor(const std::function<bool(const QStringList&)>& done, int ms = 5000) {
        return waitUntil([&] { return done(messages()); }, ms);
    }

private:
    ProgramRun m_run;
};
