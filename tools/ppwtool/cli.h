#pragma once
// The command line: parses the arguments (UTF-8, program name first) and runs
// the chosen subcommand. Returns the process exit status.
#include <string>
#include <vector>

namespace ppwtool {

int RunPpwtool(const std::vector<std::string>& arguments);

}  // namespace ppwtool
