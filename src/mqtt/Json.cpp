#include "mqtt/Json.h"

#include "files/ReadingJson.h"

namespace tarnix::mqtt {

namespace {

using files::jsonString;

QByteArray nullable(const QString& text) {
    return text.isEmpty() ? QByteArrayLiteral("null") : jsonString(text);
}

} // namespace

QByteArray meterJson(const MeterFacts& facts) {
    return QByteArrayLiteral("{\"model\":") + nullable(facts.model) +
           QByteArrayLiteral(",\"port\":") + nullable(facts.port) +
           QByteArrayLiteral(",\"speed\":") +
           (facts.speed > 0 ? QByteArray::number(facts.speed) : QByteArrayLiteral("null")) +
           QByteArrayLiteral(",\"interval\":") + QByteArray::number(facts.interval) + '}';
}

} // namespace tarnix::mqtt
