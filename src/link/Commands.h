#pragma once

#include <QByteArray>
#include <QString>

namespace tarnix::link {

// Everything the program sends the meter. Commands are plain ASCII; the
// address and value bytes of "R" and "W" follow 0.2 s after their letter.
namespace command {
inline const QByteArray ReadingRequest = QByteArrayLiteral(" "); // answered by a 5- or 12-byte frame
inline const QByteArray ReadMemory = QByteArrayLiteral("R");     // + low, high: 3-byte reply, data second
inline const QByteArray WriteMemory = QByteArrayLiteral("W");    // + low, high, value: no reply
inline const QByteArray RecordingQuery = QByteArrayLiteral("X"); // reply ends in 1 (recording) or 0, then CR
inline const QByteArray RecordMode = QByteArrayLiteral("A");     // the meter's own REC MODE key
inline const QByteArray ValueKey = QByteArrayLiteral("EEE");     // a click on the value display
inline const QByteArray AlarmOutside = QByteArrayLiteral("N");
inline const QByteArray AlarmInside = QByteArrayLiteral("G");
inline const QByteArray MemoryDump = QByteArrayLiteral("U");     // 8194-byte reply
} // namespace command

// Seconds.
inline constexpr double CommandPause = 0.2;   // between a command and its parameters, after a write
inline constexpr double ReplyPause = 0.2;     // before a frame or recording reply is examined
inline constexpr double AfterFramePause = 0.01;
inline constexpr double ReadTimeout = 3.0;
inline constexpr double ReplyPollInterval = 0.01;

inline constexpr int ReadReplyLength = 3;

inline const QString WaitTimeOutMessage = QStringLiteral("Wait Time Out ! Try again !");

} // namespace tarnix::link
