#include "mqtt/Json.h"

#include "records/ReadingJson.h"

namespace tarnix::mqtt {

QByteArray meterJson(const MeterFacts& facts) {
    return QByteArrayLiteral("{\"model\":") + records::jsonNullable(facts.model) +
           QByteArrayLiteral(",\"port\":") + records::jsonNullable(facts.port) +
           QByteArrayLiteral(",\"speed\":") +
           (facts.speed > 0 ? QByteArray::number(facts.speed) : QByteArrayLiteral("null")) +
           QByteArrayLiteral(",\"interval\":") + QByteArray::number(facts.interval) + '}';
}

} // namespace tarnix::mqtt
