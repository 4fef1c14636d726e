#include "mqtt/PublishSettings.h"

#include "core/RecorderOptions.h"

namespace tarnix::mqtt {

std::variant<std::optional<PublishSettings>, QString>
publishSettings(const core::RecordOptions& options, const QString& password) {
    if (options.mqttUrl.isEmpty()) {
        if (!options.mqttTopic.isEmpty() || !options.mqttCafile.isEmpty() ||
            options.haDiscovery || options.haDiscoveryRemove)
            return QStringLiteral("--topic, --cafile and --ha-discovery go with --mqtt URL");
        return std::optional<PublishSettings>();
    }
    const auto broker = parseBrokerUrl(options.mqttUrl);
    if (const auto* problem = std::get_if<QString>(&broker))
        return *problem;
    if (const QString problem = topicPrefixProblem(options.mqttTopic); !problem.isEmpty())
        return problem;
    // Home Assistant's prefix is a topic prefix too, under the same rules.
    const QString discovery = options.haDiscovery.value_or(QStringLiteral("homeassistant"));
    if (const QString problem = topicPrefixProblem(discovery); !problem.isEmpty())
        return QString(problem).replace(QStringLiteral("--topic"), QStringLiteral("--ha-discovery"));
    PublishSettings settings;
    if (options.haDiscovery || options.haDiscoveryRemove)
        settings.discoveryPrefix = discovery;
    settings.broker = std::get<BrokerAddress>(broker);
    if (!options.mqttCafile.isEmpty() && !settings.broker.tls)
        return QStringLiteral("--cafile goes with an mqtts:// URL");
    settings.password = password;
    settings.prefix = options.mqttTopic;
    settings.cafile = options.mqttCafile;
    return std::optional<PublishSettings>(settings);
}

} // namespace tarnix::mqtt
