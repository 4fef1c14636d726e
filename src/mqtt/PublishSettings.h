#pragma once

#include "mqtt/BrokerAddress.h"

#include <QString>
#include <optional>
#include <variant>

namespace tarnix::core {
struct RecordOptions;
}

namespace tarnix::mqtt {

// How a run publishes its readings.
struct PublishSettings {
    BrokerAddress broker;
    QString password; // from TARNIX_MQTT_PASSWORD only
    QString prefix;   // readings go to PREFIX/reading
    QString cafile;   // mqtts: the CA to trust instead of the system's
    // Home Assistant discovery: the prefix its configs go under (homeassistant).
    std::optional<QString> discoveryPrefix;
    // A day at one sample a second fits, with room to spare.
    qsizetype queueBound = 100000;
    int firstRetryMs = 500;
    int longestRetryMs = 2000; // a broker back is found within this
    int keepAliveSeconds = 15;
    int connectTimeoutMs = 10000; // a host that never answers is tried again
};

// The run's publishing settings; nullopt when it does not publish, or the
// reason the command line cannot be run.
std::variant<std::optional<PublishSettings>, QString>
publishSettings(const core::RecordOptions& options, const QString& password);

} // namespace tarnix::mqtt
