#include <windows.h>

#include "tools/ppwtool/terminal.h"

namespace ppwtool {

// A console is the one kind of handle that has a console mode; a file, a pipe
// or NUL has none.
bool StandardErrorIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

}  // namespace ppwtool
