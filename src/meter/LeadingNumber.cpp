#include "meter/LeadingNumber.h"

#include <QByteArray>
#include <charconv>
#include <cmath>

namespace tarnix::meter {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

double leadingNumber(QByteArrayView text) {
    static constexpr double Tens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p < end && *p == '+')
        ++p; // the parser below takes no plus sign
    const char* const start = p;
    const bool negative = p < end && *p == '-';
    p += negative;
    // The digits are summed as they are met: with at most 15 of them, both
    // they and the power of ten are exact doubles, and one division rounds
    // as the parser does.
    quint64 digits = 0;
    int count = 0, fraction = 0;
    for (; p < end && isDigit(*p); ++p, ++count)
        digits = digits * 10 + quint64(*p - '0');
    if (p < end && *p == '.') {
        const char* const point = p++;
        for (; p < end && isDigit(*p); ++p, ++count, ++fraction)
            digits = digits * 10 + quint64(*p - '0');
        if (fraction == 0)
            p = point; // "7." reads as 7
    }
    if (count == 0)
        return 0.0;
    if (count <= 15) {
        const double value = double(digits) / Tens[fraction];
        return negative ? -value : value;
    }
    // Only the span found above is read: no exponents, no "inf".
    double value = 0.0;
    const auto result = std::from_chars(start, p, value);
    return result.ec == std::errc() && std::isfinite(value) ? value : 0.0;
}

double leadingNumber(QStringView text) {
    // Characters beyond Latin-1 become '?', which no number contains.
    return leadingNumber(QByteArrayView(text.toLatin1()));
}

} // namespace tarnix::meter
