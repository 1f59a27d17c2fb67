// Windows hands over UTF-16 arguments (wmain, linked with -municode), so paths
// and passwords outside the ANSI code page survive; they are carried as UTF-8.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "core/utf.h"
#include "tools/ppwtool/cli.h"
#include "tools/ppwtool/console_win32.h"
#include "tools/ppwtool/exit_codes.h"

int wmain(int argc, wchar_t** argv) {
  // First, so that a path on an empty card reader or a pulled stick fails like
  // any other instead of stopping at a "no disk" box; the parent's modes stay.
  ::SetErrorMode(::SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
  const ppwtool::ConsoleStreams console;
  std::vector<std::string> arguments;
  for (int i = 0; i < argc; ++i) {
    const std::wstring_view wide(argv[i]);
    auto utf8 = tessam::Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
    if (!utf8) {
      std::cerr << "ppwtool: an argument is not valid UTF-16 text\n";
      return ppwtool::kExitUsage;
    }
    arguments.push_back(std::move(*utf8));
  }
  return ppwtool::RunPpwtool(arguments);
}
