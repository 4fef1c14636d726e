#include "link/Speeds.h"

#include <iterator>

namespace tarnix::link {

namespace {
constexpr int SearchOrder[] = {9600, 4800, 2400, 1200};
}

platform::PortSettings settingsForBaud(int baud) {
    return {baud, 'n', 8, 1};
}

std::optional<platform::PortSettings> nextSearchSettings(const platform::PortSettings& current) {
    const int count = int(std::size(SearchOrder));
    for (int i = 0; i < count; ++i)
        if (current == settingsForBaud(SearchOrder[i]))
            return settingsForBaud(SearchOrder[(i + 1) % count]);
    return std::nullopt;
}

std::optional<BaudChoice> parseBaudAnswer(const QString& answer) {
    QString text = answer;
    if (const auto comma = text.indexOf(u','); comma >= 0)
        text.remove(comma, 1);
    bool isNumber = false;
    const double value = text.trimmed().toDouble(&isNumber);
    if (!isNumber)
        return std::nullopt;
    const struct {
        double shortForm;
        int baud;
        char code;
    } rows[] = {{1, 1200, '1'}, {2, 2400, '2'}, {4, 4800, '4'}, {9, 9600, '9'}};
    for (const auto& row : rows)
        if (value == row.shortForm || value == row.baud)
            return BaudChoice{row.baud, row.code, settingsForBaud(row.baud)};
    return std::nullopt;
}

QString baudPrompt() {
    return QStringLiteral("Enter the Baud Rate\r\n9600-----9 \r\n4800-----4 \r\n2400-----2 \r\n"
                          "1200-----1 \r\n");
}

} // namespace tarnix::link
