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

CWinApp* CWinApp::Current() { return theApplication; }

int RunApplication() {
  if (CWinApp* app = CWinApp::Current()) app->InitInstance();
  return 0;
}

std::wstring ApplicationTitle() { return std::filesystem::path(ModulePath()).stem().wstring(); }

int AppMessageBox(HWND owner, const std::wstring& text, UINT type) {
  return ::MessageBoxW(owner, text.c_str(), ApplicationTitle().c_str(), type);
}

}  // namespace fw
