#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnix::sim {

enum class Model { Short, Long }; // 5-byte frames / 12-byte frames

// One reading the simulated meter answers with.
struct ScriptedReading {
    enum class Kind { Packed, Display, Raw };
    Kind kind = Kind::Packed;
    int code = 0;
    std::uint8_t high = 0;  // Packed
    std::uint8_t low = 0;   // Packed
    QByteArray chars;       // Display: six display characters
    QByteArray frame;       // Raw: sent exactly as given, whatever the model

    static ScriptedReading packed(int code, std::uint8_t high, std::uint8_t low);
    static ScriptedReading display(int code, QByteArray sixChars);
    static ScriptedReading raw(QByteArray frame);

    // A value as the meter shows it ("-12.34", "1.999", ".123", "OL", "-OL"),
    // in the form the model sends it: packed for the short model, display
    // characters for the long one. For FREQ (`megahertz` set) the packed flag
    // carries the unit instead of the sign. nullopt when the packed layout
    // cannot hold the value (it holds "1" plus three digits at most).
    static std::optional<ScriptedReading> fromValue(Model model, int code, const QString& value,
                                                    bool megahertz = false);

    // The frame this reading makes for `model`.
    QByteArray frameFor(Model model) const;
};

// The packed bytes of a value text; nullopt when it does not fit.
struct PackedValue {
    std::uint8_t high;
    std::uint8_t low;
};
std::optional<PackedValue> packValueText(const QString& value, bool positiveFlag);

// The six display characters of a value text: the sign, then the digits
// right-aligned with leading zeros; overloads as " OL  " after the sign.
std::optional<QByteArray> displayCharsForValue(const QString& value);

// A readings file: one reading per line, '#' starts a comment.
//   CODE VALUE [MHz|KHz]   a value in the model's own form ("0 -12.34", "5 1.234 MHz")
//   packed CODE HIGH LOW   packed bytes as numbers
//   chars CODE TEXT        six display characters, taken literally (may be quoted)
//   raw BYTE BYTE ...      a whole frame, bytes as numbers (0x.. for hex)
//   hold                   stay on the last reading instead of starting over
struct ReadingScript {
    std::vector<ScriptedReading> readings;
    bool hold = false;
};

struct ScriptError {
    int line;
    QString message;
};

// The script, or the first error with its line number.
std::optional<ReadingScript> parseReadingScript(const QString& text, Model model,
                                                ScriptError* error = nullptr);

} // namespace tarnix::sim
