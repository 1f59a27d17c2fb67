#include <windows.h>

#include "framework/app.h"

// The command line is ignored: the program has no options.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return fw::RunApplication(); }
