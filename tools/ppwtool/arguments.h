#pragma once
// Command-line text turned into what the core takes, with a usage message on
// stderr when it cannot be. Every subcommand refuses a path that is not UTF-8
// the same way: the core's paths are UTF-16, and such a name has no spelling there.
#include <optional>
#include <string>

#include "core/build_request.h"

namespace ppwtool {

// `what` names the path in the message: "project", "package", "image".
std::optional<std::u16string> ParsePath(const char* what, const std::string& text);

// Exactly 8 UTF-16 units.
std::optional<tessam::BuildRequest::Password> ParsePassword(const std::string& text);

}  // namespace ppwtool
