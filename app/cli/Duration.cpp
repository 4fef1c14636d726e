#include "cli/Duration.h"

#include <algorithm>
#include <cmath>

namespace tarnix::cli {

std::optional<double> durationSeconds(const QString& text) {
    QString number = text.trimmed();
    double unit = 1;
    if (!number.isEmpty() && number.back().isLetter()) {
        static constexpr struct {
            char16_t letter;
            double seconds;
        } Units[] = {{u's', 1}, {u'm', 60}, {u'h', 3600}, {u'd', 86400}};
        const auto* found = std::find_if(std::begin(Units), std::end(Units),
                                         [&](const auto& u) { return number.back() == u.letter; });
        if (found == std::end(Units))
            return std::nullopt;
        unit = found->seconds;
        number.chop(1);
    }
    bool ok = false;
    const double seconds = number.toDouble(&ok) * unit; // "C" locale: no comma at all
    if (!ok || !std::isfinite(seconds) || seconds <= 0)
        return std::nullopt;
    return seconds;
}

} // namespace tarnix::cli
