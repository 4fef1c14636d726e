#pragma once

namespace tarnix::platform {

// How much a message on standard error matters; the system journal shows
// and filters by it.
enum class Severity {
    Error,   // the run cannot go on, or a line was lost
    Warning, // the run goes on, but something is not as it should be
    Notice,  // worth knowing: a file begun, a file reopened
};

} // namespace tarnix::platform
