#include "mqtt/HaDiscovery.h"

#include "records/ReadingJson.h"
#include "meter/FunctionRange.h"

#include <QCryptographicHash>

namespace tarnix::mqtt {

namespace {

using records::jsonString;

// A topic as part of an identifier: Home Assistant allows letters, digits,
// "_" and "-" there.
QString asId(const QString& topic) {
    QString id = topic.toLower();
    for (QChar& c : id)
        if (!((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-'))
            c = u'_';
    return id;
}

// Letters, digits and "-" in parts joined by single "/": the topics whose id
// is their own letters, as Home Assistant has known them all along.
bool isPlainTopic(const QString& topic) {
    for (const QString& part : topic.split(u'/')) {
        if (part.isEmpty())
            return false;
        for (QChar c : part) // ASCII only: a Kelvin sign lowers to "k"
            if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                  (c >= u'0' && c <= u'9') || c == u'-'))
                return false;
    }
    return true;
}

// Any other topic would share its id with another ("a b", "a/b", "a_b"; or
// two names in letters outside ASCII), so its id also carries a hash of its
// exact bytes. The "__" before it never stands in a plain topic's id.
QString topicId(const QString& topic) {
    if (isPlainTopic(topic))
        return asId(topic);
    const QByteArray hash = QCryptographicHash::hash(topic.toUtf8(), QCryptographicHash::Sha1);
    return asId(topic) + QStringLiteral("__") + QString::fromLatin1(hash.toHex().left(8));
}

QString deviceId(const DiscoveryBench& bench) {
    return QStringLiteral("tarnix_") + topicId(bench.topic);
}

QString objectId(const DiscoveryBench& bench, const QString& leaf) {
    return deviceId(bench) + u'_' + asId(leaf);
}

// The unit as Home Assistant spells it, and its device class where it has one.
struct HaUnit {
    QString unit;
    const char* deviceClass; // nullptr: none (resistance, capacitance, a diode's drop)
};

HaUnit haUnit(const QString& function, const QString& unit) {
    if (unit == u"Ohm")
        return {QStringLiteral("\u03a9"), nullptr};
    if (unit == u"degC" || unit == u"degF")
        return {unit == u"degC" ? QStringLiteral("\u00b0C") : QStringLiteral("\u00b0F"),
                "temperature"};
    if (unit == u"V")
        return {unit, function == u"DIODE" ? nullptr : "voltage"};
    if (unit == u"A")
        return {unit, "current"};
    if (unit == u"Hz")
        return {unit, "frequency"};
    return {unit, nullptr};
}

QByteArray field(const char* name, const QString& text) {
    return QByteArrayLiteral(",\"") + name + QByteArrayLiteral("\":") + jsonString(text);
}

// The device block and availability both kinds of entity share.
QByteArray common(const DiscoveryBench& bench) {
    QByteArray device = QByteArrayLiteral("{\"identifiers\":[") +
                        jsonString(deviceId(bench)) + ']' +
                        field("name", bench.topic) +
                        field("sw_version", QStringLiteral(TARNIX_VERSION));
    if (!bench.model.isEmpty())
        device += field("model", bench.model);
    return field("availability_topic", bench.topic + QStringLiteral("/status")) +
           field("payload_available", QStringLiteral("online")) +
           field("payload_not_available", QStringLiteral("offline")) +
           QByteArrayLiteral(",\"device\":") + device + '}';
}

// A sensor of `function` in `unit` that reads the field `key` of the JSON
// on the bench's topic `leaf`, named and identified by `name`.
QByteArray numberSensor(const DiscoveryBench& bench, const QString& name, const char* leaf,
                        const char* key, const QString& function, const QString& unit) {
    const QString id = objectId(bench, name);
    const HaUnit ha = haUnit(function, unit);
    const QString readings = bench.topic + u'/' + QString::fromLatin1(leaf);
    // Another function's line, or one without a number (OL), leaves the
    // sensor unknown: "None" is Home Assistant's word for that.
    const QString value =
        QStringLiteral("{{ value_json.%3 if value_json.function == '%1' and value_json.unit == "
                       "'%2' else None }}")
            .arg(function, unit, QString::fromLatin1(key));
    QByteArray config = QByteArrayLiteral("{\"name\":") + jsonString(name) +
                        field("unique_id", id) +
                        field("default_entity_id", QStringLiteral("sensor.") + id) +
                        field("state_topic", readings) + field("value_template", value) +
                        field("unit_of_measurement", ha.unit);
    if (ha.deviceClass)
        config += field("device_class", QString::fromLatin1(ha.deviceClass));
    return config + field("state_class", QStringLiteral("measurement")) +
           field("json_attributes_topic", readings) + common(bench) + '}';
}

} // namespace

QByteArray sensorConfigTopic(const DiscoveryBench& bench, const QString& function) {
    return (bench.discoveryPrefix + QStringLiteral("/sensor/") + objectId(bench, function) +
            QStringLiteral("/config"))
        .toUtf8();
}

QByteArray sensorConfig(const DiscoveryBench& bench, const QString& function, const QString& unit) {
    return numberSensor(bench, function, "reading", "value", function, unit);
}

QByteArray meanConfigTopic(const DiscoveryBench& bench, const QString& function) {
    return sensorConfigTopic(bench, function + QStringLiteral(" mean"));
}

QByteArray meanConfig(const DiscoveryBench& bench, const QString& function, const QString& unit) {
    return numberSensor(bench, function + QStringLiteral(" mean"), "summary", "mean", function,
                        unit);
}

QByteArray alarmConfigTopic(const DiscoveryBench& bench) {
    return (bench.discoveryPrefix + QStringLiteral("/binary_sensor/") +
            objectId(bench, QStringLiteral("alarm")) + QStringLiteral("/config"))
        .toUtf8();
}

QByteArray alarmConfig(const DiscoveryBench& bench) {
    const QString id = objectId(bench, QStringLiteral("alarm"));
    return QByteArrayLiteral("{\"name\":\"Alarm\"") + field("unique_id", id) +
           field("default_entity_id", QStringLiteral("binary_sensor.") + id) + field("state_topic", bench.topic + QStringLiteral("/alarm")) +
           field("value_template",
                 QStringLiteral("{{ 'ON' if value in ('over', 'under') else 'OFF' }}")) +
           field("device_class", QStringLiteral("problem")) + common(bench) + '}';
}

QStringList discoveryFunctions() {
    QStringList functions;
    for (const meter::FunctionRange& entry : meter::functionRangeTable()) {
        const QString function = QString::fromLatin1(entry.function);
        if (*entry.range && !functions.contains(function))
            functions.append(function);
    }
    return functions;
}

} // namespace tarnix::mqtt
