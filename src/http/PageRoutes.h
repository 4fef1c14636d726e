#pragma once

#include "http/Exchange.h"

#include <optional>

namespace tarnix::http {

// The live page, served from the program itself (labs are often offline):
// "/" and its script and style. Nothing when the path is another.
std::optional<Response> pageResponse(const Request& request);

} // namespace tarnix::http
