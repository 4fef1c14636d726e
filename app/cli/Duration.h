#pragma once

#include <QString>
#include <optional>

namespace tarnix::cli {

// A span of time as a user writes it: a number of seconds, or a number and
// one of s, m, h and d ("90", "1.5m", "2h"). Nothing when it is none of
// these or not above 0.
std::optional<double> durationSeconds(const QString& text);

} // namespace tarnix::cli
