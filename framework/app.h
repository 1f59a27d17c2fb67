#pragma once
// The application object: exactly one, global, constructed before wWinMain
// runs. The program's life happens in its InitInstance; there is no
// application message loop.
#include <windows.h>

#include <string>

namespace fw {

class CWinApp {
 public:
  CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  // Runs the program; when it returns, whatever it answers, the process ends.
  virtual BOOL InitInstance() { return FALSE; }

  // The one application object, or null in programs without one (tests).
  static CWinApp* Current();
};

// What wWinMain does: run the application object's InitInstance.
int RunApplication();

// The application's title: the executable's file name without its extension.
std::wstring ApplicationTitle();

// The application message box: the application's title as its caption.
int AppMessageBox(HWND owner, const std::wstring& text, UINT type);

}  // namespace fw
