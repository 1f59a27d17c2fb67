#pragma once
// While a ConsoleStreams lives, standard output and standard error that are
// consoles are written as UTF-16 through WriteConsoleW: every character shows
// whatever the console's code page, and the code page, which belongs to the
// user's window and to the batch files run in it, is left alone. Redirected
// to a file or a pipe they stay UTF-8 bytes, which the JSON needs. Create it
// first thing, before anything is written.
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
