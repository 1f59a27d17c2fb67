#include "ui/tessam_dlg.h"

#include <algorithm>
#include <array>

#include "ui/about_dlg.h"
#include "ui/browse_boxes.h"
#include "ui/framework/app.h"
#include "ui/framework/strings.h"
#include "ui/package_path.h"
#include "ui/resource.h"

namespace tessam {

namespace {

constexpr wchar_t kDefaultPassword[] = L"58203147";
constexpr int kPasswordLength = 8;

HICON LoadAppIcon(int metricX, int metricY) {
  return static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                         IMAGE_ICON, ::GetSystemMetrics(metricX),
                                         ::GetSystemMetrics(metricY), LR_DEFAULTCOLOR));
}

}  // namespace

CTessamDlg::CTessamDlg() : CTessamDlg(Services{}) {}

CTessamDlg::CTessamDlg(Services services)
    : fw::CDialog(IDD_TESSAM_DIALOG),
      icon_(LoadAppIcon(SM_CXICON, SM_CYICON)),
      smallIcon_(LoadAppIcon(SM_CXSMICON, SM_CYSMICON)),
      settings_(std::move(services.settingsPath)) {
  if (settings_.path().empty()) settings_.Locate();
}

CTessamDlg::~CTessamDlg() = default;

fw::MessageResult CTessamDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  using Dlg = CTessamDlg;
  static constexpr std::array<fw::MessageEntry<Dlg>, 9> kMessageMap{{
      fw::OnClicked<Dlg>(IDC_BROWSE_PROJECT, &Dlg::OnBrowseProject),
      fw::OnClicked<Dlg>(IDC_BROWSE_FOLDER, &Dlg::OnBrowseFolder),
      fw::OnClicked<Dlg>(IDC_ENCRYPT, &Dlg::OnEncryptClicked),
      fw::OnClicked<Dlg>(IDC_GENERATE, &Dlg::OnGenerate),
      fw::OnClicked<Dlg>(IDC_CLOSE_BUTTON, &Dlg::OnCloseButton),
      fw::OnMessage<Dlg>(WM_CLOSE, &Dlg::OnClose),
      fw::OnMessage<Dlg>(WM_SYSCOMMAND, &Dlg::OnSysCommand),
      fw::OnMessage<Dlg>(WM_PAINT, &Dlg::OnPaint),
      fw::OnMessage<Dlg>(WM_QUERYDRAGICON, &Dlg::OnQueryDragIcon),
  }};
  return fw::Dispatch<Dlg>(kMessageMap, *this, message, wParam, lParam);
}

void CTessamDlg::DoDataExchange() {
  // Limits typing only; text the program sets may be longer.
  ::SendMessageW(GetDlgItem(IDC_PASSWORD), EM_LIMITTEXT, kPasswordLength, 0);
}

BOOL CTessamDlg::OnInitDialog() {
  fw::CDialog::OnInitDialog();
  const HWND self = GetSafeHwnd();

  if (const HMENU systemMenu = ::GetSystemMenu(self, FALSE)) {
    const std::wstring about = fw::LoadResourceString(IDS_ABOUTBOX);
    if (!about.empty()) {
      ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
  }

  ::SendMessageW(self, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
  ::SendMessageW(self, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));

  SavedSettings saved = settings_.Load();
  ::SetDlgItemTextW(self, IDC_PROJECT_PATH, saved.projectPath.c_str());
  ::SetDlgItemTextW(self, IDC_PACKAGE_PATH, saved.packagePath.c_str());
  if (saved.password.empty()) saved.password = kDefaultPassword;

  ::CheckDlgButton(self, IDC_ENCRYPT, BST_CHECKED);
  ::SetDlgItemTextW(self, IDC_PASSWORD, saved.password.c_str());
  return TRUE;  // the dialog manager focuses the first control in tab order
}

BOOL CTessamDlg::PreTranslateMessage(MSG* message) {
  // Neither Escape nor Enter may close the dialog or press a button.
  if (message->message == WM_KEYDOWN && (message->wParam == VK_ESCAPE || message->wParam == VK_RETURN)) {
    return TRUE;
  }
  return fw::CDialog::PreTranslateMessage(message);
}

void CTessamDlg::OnBrowseProject() {
  if (const auto file = AskForProjectFile(GetSafeHwnd())) {
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_PROJECT_PATH, file->c_str());
  }
}

void CTessamDlg::OnBrowseFolder() {
  if (const auto folder = AskForPackageFolder(GetSafeHwnd())) {
    const std::wstring package = PackagePathInFolder(*folder, fw::LoadResourceString(IDS_PACKAGE_FILE_FORMAT));
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_PACKAGE_PATH, package.c_str());
  }
}

void CTessamDlg::OnEncryptClicked() {
  ::ShowWindow(GetDlgItem(IDC_PASSWORD), EncryptionChecked() ? SW_SHOW : SW_HIDE);
}

void CTessamDlg::OnGenerate() {
  if (EncryptionChecked()) {
    // Only the first 8 characters count, so a longer password (one from the
    // settings file) passes and a shorter one does not.
    const std::wstring password = ControlText(IDC_PASSWORD);
    if (std::min<std::size_t>(password.size(), kPasswordLength) != kPasswordLength) {
      fw::AppMessageBox(GetSafeHwnd(), L"密码必须为8位字符！", MB_OK | MB_ICONWARNING);
      ::SetFocus(GetDlgItem(IDC_PASSWORD));
      return;
    }
  }
  // Building from the dialog comes with the generation worker.
}

void CTessamDlg::OnCloseButton() {
  EndDialog(IDCANCEL);  // the paths are not saved
}

fw::MessageResult CTessamDlg::OnClose(WPARAM, LPARAM) {
  settings_.SavePaths(ControlText(IDC_PROJECT_PATH), ControlText(IDC_PACKAGE_PATH));
  return fw::kDefaultProcessing;  // ends the dialog with the cancel result
}

fw::MessageResult CTessamDlg::OnSysCommand(WPARAM command, LPARAM) {
  if ((command & 0xFFF0) != IDM_ABOUTBOX) return fw::kDefaultProcessing;
  CAboutDlg about;
  about.DoModal(GetSafeHwnd());
  return 0;
}

fw::MessageResult CTessamDlg::OnPaint(WPARAM, LPARAM) {
  const HWND self = GetSafeHwnd();
  if (!::IsIconic(self)) return fw::kDefaultProcessing;

  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(self, &paint);
  ::SendMessageW(self, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  ::GetClientRect(self, &client);
  const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
  ::DrawIcon(dc, x, y, icon_.get());
  ::EndPaint(self, &paint);
  return 0;
}

fw::MessageResult CTessamDlg::OnQueryDragIcon(WPARAM, LPARAM) {
  return reinterpret_cast<LRESULT>(icon_.get());
}

std::wstring CTessamDlg::ControlText(int controlId) const { return fw::WindowText(GetDlgItem(controlId)); }

bool CTessamDlg::EncryptionChecked() const {
  return ::IsDlgButtonChecked(GetSafeHwnd(), IDC_ENCRYPT) == BST_CHECKED;
}

}  // namespace tessam
