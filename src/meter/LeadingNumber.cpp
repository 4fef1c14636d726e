#include "meter/LeadingNumber.h"

#include <cmath>
#include <string>

namespace tarnix::meter {

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    std::string number;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        number += char(text[i++].unicode());
    bool digits = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        number += char(text[i++].unicode());
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            number += char(text[i++].unicode());
            digits = true;
        }
    }
    if (!digits)
        return 0.0;
    if (number.back() == '.')
        number.pop_back();
    const double value = std::strtod(number.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

} // namespace tarnix::meter
