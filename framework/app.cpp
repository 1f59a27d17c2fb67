#include "framework/app.h"

#include <filesystem>

#include "framework/strings.h"

namespace fw {

namespace {
CWinApp* theApplication = nullptr;
}  // namespace

CWinApp::CWinApp() { theApplication = this; }

CWinApp::~CWinApp() {
  if (theApplication == this) theApplication = nullptr;
}

int CWinApp::Run() {
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

CWinApp* CWinApp::Current() { return theApplication; }

int RunApplication() {
  CWinApp* app = CWinApp::Current();
  if (!app || !app->InitInstance()) return 0;
  return app->Run();
}

std::wstring ApplicationTitle() { return std::filesystem::path(ModulePath()).stem().wstring(); }

int AppMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return ::MessageBoxW(owner, text.c_str(), ApplicationTitle().c_str(), type);
}

}  // namespace fw
