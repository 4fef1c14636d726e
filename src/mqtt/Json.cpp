#include "mqtt/Json.h"

#include "files/ReadingJson.h"

namespace tarnix::mqtt {

QByteArray meterJson(const MeterFacts& facts) {
    return QByteArrayLiteral("{\"model\":") + files::jsonNullable(facts.model) +
           QByteArrayLiteral(",\"port\":") + files::jsonNullable(facts.port) +
           QByteArrayLiteral(",\"speed\":") +
           (facts.speed > 0 ? QByteArray::number(facts.speed) : QByteArrayLiteral("null")) +
           QByteArrayLiteral(",\"interval\":") + QByteArray::number(facts.interval) + '}';
}

} // namespace tarnix::mqtt
