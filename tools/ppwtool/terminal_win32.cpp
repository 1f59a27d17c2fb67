#include <windows.h>

#include "tools/ppwtool/console_win32.h"
#include "tools/ppwtool/terminal.h"

namespace ppwtool {

bool StandardErrorIsTerminal() { return IsConsole(::GetStdHandle(STD_ERROR_HANDLE)); }

}  // namespace ppwtool
