#include "meter/LeadingNumber.h"

#include <QByteArray>
#include <charconv>
#include <cmath>
#include <optional>

namespace tarnix::meter {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// [from, to) as a number without the general parser, when it has at most 15
// digits: then both the digits and the power of ten are exact doubles, and
// one division rounds as the parser does.
std::optional<double> shortDecimal(const char* from, const char* to) {
    static constexpr double Tens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const bool negative = from < to && *from == '-';
    quint64 digits = 0;
    int count = 0, fraction = -1;
    for (const char* p = from + negative; p < to; ++p) {
        if (*p == '.') {
            fraction = 0;
            continue;
        }
        if (++count > 15)
            return std::nullopt;
        digits = digits * 10 + quint64(*p - '0');
        if (fraction >= 0)
            ++fraction;
    }
    const double value = double(digits) / Tens[std::max(fraction, 0)];
    return negative ? -value : value;
}
} // namespace

double leadingNumber(QByteArrayView text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p < end && *p == '+')
        ++p; // the parser below takes no plus sign
    const char* const start = p;
    if (p < end && *p == '-')
        ++p;
    const char* const firstDigit = p;
    while (p < end && isDigit(*p))
        ++p;
    bool digits = p > firstDigit;
    if (p < end && *p == '.') {
        const char* const point = p++;
        const char* const fraction = p;
        while (p < end && isDigit(*p))
            ++p;
        if (p == fraction)
            p = point; // "7." reads as 7
        digits = digits || p > fraction;
    }
    if (!digits)
        return 0.0;
    if (const auto exact = shortDecimal(start, p))
        return *exact;
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
