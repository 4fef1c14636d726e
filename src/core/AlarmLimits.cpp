#include "core/AlarmLimits.h"

#include "link/MemoryMap.h"
#include "meter/MeterValue.h"
#include "meter/PackedReading.h"

#include <algorithm>
#include <array>

namespace tarnix::core {

std::optional<Resolution> resolutionForCode(int code) {
    static constexpr std::array tenths{0, 3, 8, 12, 24, 34, 48, 64, 66, 128, 131, 162, 176};
    static constexpr std::array thousandths{1, 5, 6, 9, 16, 20, 40, 129, 168};
    static constexpr std::array hundredths{2, 10, 17, 18, 33, 36, 130, 161, 164};
    static constexpr std::array ones{4, 32, 65, 68, 132};
    const auto in = [code](const auto& codes) {
        return std::find(codes.begin(), codes.end(), code) != codes.end();
    };
    if (in(tenths))
        return Resolution{0.1, 2};
    if (in(thousandths))
        return Resolution{0.001, 3};
    if (in(hundredths))
        return Resolution{0.01, 1};
    if (in(ones))
        return Resolution{1, 0};
    return std::nullopt;
}

QString timesText(double step) {
    return QStringLiteral("X  ") + meter::formatNumber(step);
}

namespace {

// The digit a box holds; an empty box or a letter counts as 0.
int boxDigit(const QString& box) {
    return box.size() == 1 && box[0].isDigit() ? box[0].digitValue() : 0;
}

void addLimit(std::vector<ByteWrite>& writes, int lowAddress, const LimitBoxes& limit, int point) {
    const QString text = limit.text();
    if (text.contains(u'L')) {
        writes.push_back({lowAddress, text.contains(u'-') ? meter::NegativeOverloadLowByte
                                                          : meter::OverloadLowByte});
        return;
    }
    meter::PackedFields f;
    f.flag = limit.sign != u"-";
    f.halfDigit = !limit.digits[0].isEmpty() && limit.digits[0] != u"0";
    f.digit1 = boxDigit(limit.digits[1]);
    f.digit2 = boxDigit(limit.digits[2]);
    f.digit3 = boxDigit(limit.digits[3]);
    f.point = point;
    const meter::PackedBytes bytes = meter::composePacked(f);
    writes.push_back({lowAddress, bytes.low});
    writes.push_back({lowAddress + 1, bytes.high});
}

} // namespace

std::vector<ByteWrite> alarmWrites(bool arm, int functionCode, const LimitBoxes& high,
                                   const LimitBoxes& low, int pointPosition) {
    std::vector<ByteWrite> writes;
    writes.push_back({link::address::AlarmMode, arm ? link::AlarmArmed : link::AlarmDisarmed});
    writes.push_back({link::address::AlarmCode, functionCode & 0xFF});
    addLimit(writes, link::address::AlarmHigh, high, pointPosition);
    addLimit(writes, link::address::AlarmLow, low, pointPosition);
    return writes;
}

} // namespace tarnix::core
