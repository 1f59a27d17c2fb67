#pragma once
// The application object: exactly one, global, constructed before wWinMain
// runs. The program's life happens in its InitInstance.
#include <windows.h>

#include <string>

namespace fw {

class CDialog;

class CWinApp {
 public:
  CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  // FALSE ends the program without entering the application's message loop.
  virtual BOOL InitInstance() { return TRUE; }
  // The message loop for applications whose InitInstance returns TRUE.
  virtual int Run();

  CDialog* mainWindow() const { return mainWindow_; }
  void SetMainWindow(CDialog* window) { mainWindow_ = window; }

  // The one application object, or null in programs without one (tests).
  static CWinApp* Current();

 private:
  CDialog* mainWindow_ = nullptr;
};

// What wWinMain does: start the application object.
int RunApplication();

// The application's title: the executable's file name without its extension.
std::wstring ApplicationTitle();

// The application message box: the application's title as its caption.
int AppMessageBox(HWND owner, const std::wstring& text, UINT type);

}  // namespace fw
