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
