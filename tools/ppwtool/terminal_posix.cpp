#include <unistd.h>

#include "tools/ppwtool/terminal.h"

namespace ppwtool {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace ppwtool
