#pragma once

#include <QString>
#include <variant>

namespace tarnix::mqtt {

// Where the readings go: mqtt://[user@]host[:port] or mqtts://…
struct BrokerAddress {
    bool tls = false;
    QString user; // empty: no login
    QString host;
    int port = 1883;

    // host:port as the reports name the broker.
    QString label() const;
};

// The broker URL read, or why it cannot be used.
std::variant<BrokerAddress, QString> parseBrokerUrl(const QString& url);

// Why a topic prefix cannot carry readings; empty when it can. A prefix
// names topics to publish to, so the subscribers' wildcards + and # have no
// place in it, nor a leading $ (the broker's own topics); PREFIX/reading
// must fit in an MQTT string.
QString topicPrefixProblem(const QString& prefix);

} // namespace tarnix::mqtt
