#include "framework/app.h"

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

std::wstring ApplicationTitle() {
  std::wstring name = ModulePath();
  if (const auto slash = name.find_last_of(L"\\/"); slash != std::wstring::npos) name.erase(0, slash + 1);
  if (const auto dot = name.rfind(L'.'); dot != std::wstring::npos) name.erase(dot);
  return name;
}

int AppMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return ::MessageBoxW(owner, text.c_str(), ApplicationTitle().c_str(), type);
}

}  // namespace fw
