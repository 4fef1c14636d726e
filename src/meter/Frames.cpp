#include "meter/Frames.h"

#include "meter/FunctionRange.h"
#include "meter/LongFrameValue.h"
#include "meter/PackedReading.h"

namespace tarnix::meter {

FrameKind frameKindForLength(qsizetype byteCount) {
    if (byteCount == ShortFrameLength)
        return FrameKind::Short;
    if (byteCount == LongFrameLength)
        return FrameKind::Long;
    return FrameKind::None;
}

bool wellFormed(QByteArrayView frame, FrameKind kind) {
    switch (kind) {
    case FrameKind::Short:
        return frame.size() >= ShortFrameLength;
    case FrameKind::Long:
        return frame.size() == LongFrameLength && std::uint8_t(frame[0]) == LongFrameStart &&
               std::uint8_t(frame[11]) == LongFrameEnd;
    case FrameKind::None:
        break;
    }
    return false;
}

void decodeShortFrame(QByteArrayView frame, Reading& reading) {
    if (frame.size() < 4)
        return;
    const auto byte = [&](int i) { return std::uint8_t(frame[i]); };
    decodeFunctionRange(byte(1), reading);
    decodePackedValue(byte(3), byte(2), reading);
}

LongFrameResult decodeLongFrame(QByteArrayView frame, Reading& reading) {
    if (!wellFormed(frame, FrameKind::Long))
        return LongFrameResult::Malformed;
    decodeFunctionRange(std::uint8_t(frame[1]), reading);
    const auto value = renderDisplayChars(frame.sliced(2, 6));
    if (!value) {
        reading.value = MeterValue::fromText(QString::fromUtf16(InitialText));
        return LongFrameResult::UnknownCharacter;
    }
    reading.value = *value;
    return LongFrameResult::Decoded;
}

void applyFrequencyUnit(std::uint8_t frameByte2, Reading& reading) {
    if (reading.functionText == QStringView(FrequencyFunction))
        reading.rangeText = (frameByte2 & 1u) ? QStringLiteral("1MHz") : QStringLiteral("1KHz");
}

} // namespace tarnix::meter
