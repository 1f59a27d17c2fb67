#pragma once
// While a ConsoleStreams lives, standard output and error that are consoles
// get UTF-16 through WriteConsoleW: every character shows whatever the code
// page, which belongs to the user's window and batch files and is left alone.
// Redirected, they stay UTF-8 bytes, as the JSON needs. Create it first.
#include <windows.h>

#include <memory>
#include <streambuf>

namespace ppwtool {

// Whether `handle` is a console, whatever access it was opened with.
bool IsConsole(HANDLE handle);

class ConsoleStreams {
 public:
  ConsoleStreams();
  ~ConsoleStreams();  // flushes, and gives the streams their own buffers back
  ConsoleStreams(const ConsoleStreams&) = delete;
  ConsoleStreams& operator=(const ConsoleStreams&) = delete;

 private:
  std::unique_ptr<std::streambuf> out_, err_;
  std::streambuf* savedOut_ = nullptr;
  std::streambuf* savedErr_ = nullptr;
};

}  // namespace ppwtool
