#pragma once

#include "platform/PortSettings.h"

#include <QString>
#include <optional>

namespace tarnix::link {

// The port settings for a speed: "9600,n,8,1".
platform::PortSettings settingsForBaud(int baud);

// The port opens at 1200 baud; the search then tries 9600, 4800, 2400, 1200
// and starts over.
inline constexpr int StartBaud = 1200;
inline const platform::PortSettings StartSettings = settingsForBaud(StartBaud);

// The settings the speed search moves to from `current` (nullopt for
// settings outside the four speeds, which leave the port as it is).
std::optional<platform::PortSettings> nextSearchSettings(const platform::PortSettings& current);

// An answer to "Input Baud Rate" the meter can follow.
struct BaudChoice {
    int baud;  // 1200, 2400, 4800, 9600
    char code; // the character that moves the meter: '1', '2', '4', '9'
    platform::PortSettings settings;
};

// Reads the user's answer: the first comma is dropped ("9,600"), then the
// answer is compared as a number with 1/1200, 2/2400, 4/4800, 9/9600
// ("9600.0" is 9600). nullopt for anything else, words included.
std::optional<BaudChoice> parseBaudAnswer(const QString& answer);

// "Enter the Baud Rate" and one line per speed, each ending in CR LF.
QString baudPrompt();

} // namespace tarnix::link
