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

namespace {
bool isFrequency(const Reading& reading) {
    return reading.functionText == QStringView(FrequencyFunction);
}

QString frequencyRange(QByteArrayView frame, const Reading& reading) {
    if (!isFrequency(reading))
        return {};
    return (std::uint8_t(frame[2]) & 1u) ? QStringLiteral("1MHz") : QStringLiteral("1KHz");
}
} // namespace

FrameReading decodeShortFrame(QByteArrayView frame, const Reading& before) {
    FrameReading out{FrameResult::Malformed, before, {}};
    if (frame.size() < 4)
        return out;
    const auto byte = [&](int i) { return std::uint8_t(frame[i]); };
    decodeFunctionRange(byte(1), out.reading);
    const PackedValue packed = decodePackedValue(byte(3), byte(2), isFrequency(out.reading));
    out.reading.value = packed.value;
    if (!packed.frequencyRange.isEmpty())
        out.reading.rangeText = packed.frequencyRange;
    out.result = FrameResult::Decoded;
    out.frequencyRange = frequencyRange(frame, out.reading);
    return out;
}

FrameReading decodeLongFrame(QByteArrayView frame, const Reading& before) {
    FrameReading out{FrameResult::Malformed, before, {}};
    if (!wellFormed(frame, FrameKind::Long))
        return out;
    decodeFunctionRange(std::uint8_t(frame[1]), out.reading);
    const auto value = renderDisplayChars(frame.sliced(2, 6));
    if (!value) {
        out.reading.value = MeterValue::fromText(QString::fromUtf16(InitialText));
        out.result = FrameResult::UnknownCharacter;
        return out;
    }
    out.reading.value = *value;
    out.result = FrameResult::Decoded;
    out.frequencyRange = frequencyRange(frame, out.reading);
    return out;
}

} // namespace tarnix::meter
