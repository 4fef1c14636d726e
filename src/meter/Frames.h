#pragma once

#include "meter/Reading.h"

#include <QByteArrayView>
#include <cstdint>

namespace tarnix::meter {

// A reading request (one blank) is answered with one of two frames, told
// apart by their length alone.
//
// Short frame, 5 bytes:   [0] ?  [1] code  [2] packed low  [3] packed high  [4] ?
// Long frame, 12 bytes:   [0] '*'  [1] code  [2..7] six display characters
//                         [8..10] ?  [11] CR
enum class FrameKind { None, Short, Long };

inline constexpr int ShortFrameLength = 5;
inline constexpr int LongFrameLength = 12;
inline constexpr std::uint8_t LongFrameStart = '*';
inline constexpr std::uint8_t LongFrameEnd = 13;

FrameKind frameKindForLength(qsizetype byteCount);

// A frame the decoders take: a short frame of at least five bytes, or a long
// frame of twelve with '*' in front and CR at the end. Anything else is asked
// for again, and changes nothing of the reading: its code byte is no more to
// be trusted than the rest.
bool wellFormed(QByteArrayView frame, FrameKind kind);

enum class FrameResult {
    Decoded,          // the value is new
    Malformed,        // too short, or no '*' in front or no CR at the end: nothing changed
    UnknownCharacter, // the code is taken and the value is "Initial"
};

// What a frame makes of the reading before it. A code outside the table
// keeps that reading's function and range texts.
struct FrameReading {
    FrameResult result = FrameResult::Malformed;
    Reading reading;
    // For FREQ the unit follows byte 2 of the frame: odd is "1MHz", even
    // "1KHz". Empty for any other function, and for a frame not decoded. It is
    // kept apart because the polling cycle puts it in place only once the
    // alarm limits are loaded.
    QString frequencyRange;
};

// The function/range code, then the packed reading. Frames shorter than
// 4 bytes change nothing.
FrameReading decodeShortFrame(QByteArrayView frame, const Reading& before);

FrameReading decodeLongFrame(QByteArrayView frame, const Reading& before);

} // namespace tarnix::meter
