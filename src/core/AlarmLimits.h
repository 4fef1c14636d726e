#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace tarnix::core {

// One step of the last digit for a range, and the decimal-point position of
// the packed reading that goes with it.
struct Resolution {
    double step;
    int point;
};

// For the codes of the function/range table; nullopt for any other code.
std::optional<Resolution> resolutionForCode(int functionCode);

// "X", two blanks and the step in plain decimals: "X  0.001", "X  1".
QString timesText(double step);

// What the user typed for one limit: a sign box and four digit boxes
// (box 1 is the leading half digit).
struct LimitBoxes {
    QString sign;
    QString digits[4];

    QString text() const { return sign + digits[0] + digits[1] + digits[2] + digits[3]; }
};

struct ByteWrite {
    int address;
    int value;

    friend bool operator==(const ByteWrite&, const ByteWrite&) = default;
};

// The writes of ENABLE (`arm`) or DISABLE, in the order the meter gets them:
// the mode (150 or 0) to 49, the function code to 50, the high limit to 53
// and 54, the low limit to 51 and 52. A limit with a capital "L" is an
// overload, written as its low byte alone (14 for "-OL", 15 for "OL").
std::vector<ByteWrite> alarmWrites(bool arm, int functionCode, const LimitBoxes& high,
                                   const LimitBoxes& low, int pointPosition);

} // namespace tarnix::core
