#include <windows.h>

#include "framework/app.h"

// The command line is ignored: the program has no options.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Before any path is touched: a path on an empty card-reader slot or a pulled
  // stick then fails the call that checks it, instead of stopping a thread with
  // the system's "no disk" box. The modes the parent handed down stay.
  ::SetErrorMode(::SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
  return fw::RunApplication();
}
