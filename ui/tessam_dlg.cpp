#include "ui/tessam_dlg.h"

#include <shlwapi.h>

#include <algorithm>
#include <array>

#include "framework/app.h"
#include "framework/strings.h"
#include "ui/about_dlg.h"
#include "ui/browse_boxes.h"
#include "ui/dropped_paths.h"
#include "ui/label_fit.h"
#include "ui/package_path.h"
#include "ui/resource.h"
#include "ui/reveal_in_explorer.h"

namespace tessam {

namespace {

constexpr wchar_t kDefaultPassword[] = L"58203147";
constexpr int kPasswordLength = 8;
// Suggestions from the file system only, as the user types, shown whatever
// the user's browser settings say.
constexpr DWORD kPathCompletion =
    SHACF_FILESYS_ONLY | SHACF_FILESYS_DIRS | SHACF_AUTOSUGGEST_FORCE_ON | SHACF_AUTOAPPEND_FORCE_ON;

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
      settings_(std::move(services.settingsPath)),
      builder_(services.builder ? std::move(services.builder) : std::make_shared<PackageBuilder>()),
      reveal_(services.reveal ? std::move(services.reveal) : Reveal(RevealInExplorer)),
      progress_(services.progress ? std::move(services.progress) : TaskbarProgress()) {
  if (settings_.path().empty()) settings_.Locate(fw::LoadResourceString(IDS_SETTINGS_FILE_FORMAT));
}

CTessamDlg::~CTessamDlg() {
  // A worker still running here was stopped and outlived the bounded wait;
  // it holds its own share of what it uses.
  if (channel_) channel_->Disconnect();
}

fw::MessageResult CTessamDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  using Dlg = CTessamDlg;
  static constexpr std::array<fw::MessageEntry<Dlg>, 15> kMessageMap{{
      fw::OnClicked<Dlg>(IDC_BROWSE_PROJECT, &Dlg::OnBrowseProject),
      fw::OnClicked<Dlg>(IDC_BROWSE_FOLDER, &Dlg::OnBrowseFolder),
      fw::OnClicked<Dlg>(IDC_ENCRYPT, &Dlg::OnEncryptClicked),
      fw::OnClicked<Dlg>(IDC_GENERATE, &Dlg::OnGenerate),
      fw::OnClicked<Dlg>(IDC_CLOSE_BUTTON, &Dlg::OnCloseButton),
      fw::OnMessage<Dlg>(WM_CLOSE, &Dlg::OnClose),
      fw::OnMessage<Dlg>(WM_SYSCOMMAND, &Dlg::OnSysCommand),
      fw::OnMessage<Dlg>(WM_PAINT, &Dlg::OnPaint),
      fw::OnMessage<Dlg>(WM_QUERYDRAGICON, &Dlg::OnQueryDragIcon),
      fw::OnMessage<Dlg>(WM_DESTROY, &Dlg::OnDestroy),
      fw::OnMessage<Dlg>(WorkerChannel::kProjectEditMessage, &Dlg::OnWorkerProjectEdit),
      fw::OnMessage<Dlg>(WorkerChannel::kOutcomeMessage, &Dlg::OnWorkerOutcome),
      fw::OnMessage<Dlg>(WorkerChannel::kProgressMessage, &Dlg::OnWorkerProgress),
      fw::OnMessage<Dlg>(WM_SETCURSOR, &Dlg::OnSetCursor),
      fw::OnMessage<Dlg>(WM_DROPFILES, &Dlg::OnDropFiles),
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
  channel_ = std::make_shared<WorkerChannel>(self);

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

  // The group box comes first in the template and frames every label.
  WidenCutLabels(self, ::GetWindow(self, GW_CHILD));
  // Conventions of the platform that leave the template as it is: path
  // completion (it stays with each edit; without it the edits still work),
  // and files dropped from Explorer, also from a less privileged one.
  for (const int edit : {IDC_PROJECT_PATH, IDC_PACKAGE_PATH}) ::SHAutoComplete(GetDlgItem(edit), kPathCompletion);
  ::DragAcceptFiles(self, TRUE);
  for (const UINT message : {UINT{WM_DROPFILES}, UINT{WM_COPYDATA}, UINT{0x0049} /* WM_COPYGLOBALDATA */}) {
    ::ChangeWindowMessageFilterEx(self, message, MSGFLT_ALLOW, nullptr);
  }
  return TRUE;  // the dialog manager focuses the first control in tab order
}

BOOL CTessamDlg::PreTranslateMessage(MSG* message) {
  // Neither Escape nor Enter may close the dialog or press a button. A control
  // that asks for the key (a completion list closing or taking a suggestion)
  // gets it past the dialog manager; otherwise the key is swallowed.
  if (message->message != WM_KEYDOWN || (message->wParam != VK_ESCAPE && message->wParam != VK_RETURN)) {
    return fw::CDialog::PreTranslateMessage(message);
  }
  const LPARAM asked = reinterpret_cast<LPARAM>(message);
  if (::SendMessageW(message->hwnd, WM_GETDLGCODE, message->wParam, asked) & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) {
    ::TranslateMessage(message);
    ::DispatchMessageW(message);
  }
  return TRUE;
}

CTessamDlg::ModalScope::ModalScope(CTessamDlg& dialog) : dialog_(dialog) { ++dialog_.modalWindows_; }

CTessamDlg::ModalScope::~ModalScope() {
  if (--dialog_.modalWindows_ == 0 && std::exchange(dialog_.outcomeWaiting_, false)) {
    ::PostMessageW(dialog_.GetSafeHwnd(), WorkerChannel::kOutcomeMessage, 0, 0);
  }
}

void CTessamDlg::OnBrowseProject() {
  const ModalScope modal(*this);
  if (const auto file = AskForProjectFile(GetSafeHwnd())) {
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_PROJECT_PATH, file->c_str());
  }
}

void CTessamDlg::OnBrowseFolder() {
  const ModalScope modal(*this);
  if (const auto folder = AskForPackageFolder(GetSafeHwnd(), ControlText(IDC_PACKAGE_PATH))) {
    const std::wstring package = PackagePathInFolder(*folder, fw::LoadResourceString(IDS_PACKAGE_FILE_FORMAT));
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_PACKAGE_PATH, package.c_str());
  }
}

void CTessamDlg::OnEncryptClicked() {
  ::ShowWindow(GetDlgItem(IDC_PASSWORD), EncryptionChecked() ? SW_SHOW : SW_HIDE);
}

void CTessamDlg::OnGenerate() {
  if (runner_.Marked()) return;  // one build at a time; the click starts nothing

  if (EncryptionChecked()) {
    // Only the first 8 characters count, so a longer password (one from the
    // settings file) passes and a shorter one does not.
    const std::wstring password = ControlText(IDC_PASSWORD);
    if (std::min<std::size_t>(password.size(), kPasswordLength) != kPasswordLength) {
      {
        const ModalScope modal(*this);
        fw::AppMessageBox(GetSafeHwnd(), L"密码必须为8位字符！", MB_OK | MB_ICONWARNING);
      }
      ::SetFocus(GetDlgItem(IDC_PASSWORD));
      return;
    }
  }
  StartWorker();
}

void CTessamDlg::StartWorker() {
  // The worker gets copies of the texts and the check state, taken now on
  // the window thread. Pasted paths lose their quotes here, and the user sees
  // the path used.
  GenerationJob job{{}, {}, {}, builder_, channel_};
  for (const int edit : {IDC_PROJECT_PATH, IDC_PACKAGE_PATH}) {
    const std::wstring text = ControlText(edit);
    const std::wstring path = TrimPastedPath(text);
    if (path != text) ::SetDlgItemTextW(GetSafeHwnd(), edit, path.c_str());
    (edit == IDC_PROJECT_PATH ? job.projectText : job.packageText) = path;
  }
  if (EncryptionChecked()) {
    const std::wstring text = ControlText(IDC_PASSWORD);  // at least 8 units: the rule passed
    BuildRequest::Password password{};
    for (std::size_t i = 0; i < password.size() && i < text.size(); ++i) password[i] = static_cast<char16_t>(text[i]);
    job.password = password;
  }
  runner_.Start(std::move(job));  // when no thread can start, nothing is shown
}

bool CTessamDlg::LetGoOfWorkers() {
  if (runner_.Marked()) progress_->Clear(GetSafeHwnd());
  const bool builderFree = runner_.Stop();
  channel_->Disconnect();
  return builderFree;
}

void CTessamDlg::OnCloseButton() {
  LetGoOfWorkers();
  EndDialog(IDCANCEL);  // the paths are not saved
}

fw::MessageResult CTessamDlg::OnClose(WPARAM, LPARAM) {
  const bool builderFree = LetGoOfWorkers();
  settings_.SavePaths(ControlText(IDC_PROJECT_PATH), ControlText(IDC_PACKAGE_PATH));
  // A worker that outlived the wait may still hold the payload; it is then
  // freed with the builder's last owner instead.
  if (builderFree) builder_->ReleasePayload();
  return fw::kDefaultProcessing;  // ends the dialog with the cancel result
}

fw::MessageResult CTessamDlg::OnDestroy(WPARAM, LPARAM) {
  if (channel_) channel_->Disconnect();
  return fw::kDefaultProcessing;
}

fw::MessageResult CTessamDlg::OnWorkerProjectEdit(WPARAM enabled, LPARAM) {
  ::EnableWindow(GetDlgItem(IDC_PROJECT_PATH), enabled ? TRUE : FALSE);
  return 0;
}

fw::MessageResult CTessamDlg::OnWorkerOutcome(WPARAM, LPARAM) {
  progress_->Clear(GetSafeHwnd());
  if (modalWindows_ > 0) {
    outcomeWaiting_ = true;
    return 0;
  }
  const std::wstring caption = fw::LoadResourceString(IDS_MESSAGE_CAPTION);
  for (const WorkerOutcome& outcome : channel_->TakeOutcomes()) {
    if (!outcome.message.empty()) {
      const ModalScope modal(*this);
      ::MessageBoxW(GetSafeHwnd(), outcome.message.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
    }
    // The folder window comes only after the success message is dismissed,
    // and not at all if the dialog was closed meanwhile.
    if (outcome.result == 1 && channel_->Connected()) reveal_(outcome.packagePath);
  }
  return 0;
}

fw::MessageResult CTessamDlg::OnSysCommand(WPARAM command, LPARAM) {
  if ((command & 0xFFF0) != IDM_ABOUTBOX) return fw::kDefaultProcessing;
  const ModalScope modal(*this);
  CAboutDlg about;
  about.DoModal(GetSafeHwnd());
  return 0;
}

fw::MessageResult CTessamDlg::OnWorkerProgress(WPARAM thousandths, LPARAM) {
  // Every report was posted before the outcome, so none comes after the clear.
  progress_->Show(GetSafeHwnd(), thousandths, WorkerChannel::kProgressScale);
  return 0;
}

fw::MessageResult CTessamDlg::OnSetCursor(WPARAM, LPARAM hitTest) {
  // While a build runs the dialog still takes input, so the pointer shows
  // work in the background rather than an hourglass.
  if (!runner_.Marked() || LOWORD(hitTest) != HTCLIENT) return fw::kDefaultProcessing;
  ::SetCursor(::LoadCursorW(nullptr, IDC_APPSTARTING));
  return TRUE;
}

fw::MessageResult CTessamDlg::OnDropFiles(WPARAM drop, LPARAM) {
  const UniqueDrop files(reinterpret_cast<HDROP>(drop));
  // Windows hands no drop to a disabled window, but Wine does: while a box
  // of the dialog is open, and into an edit that a build has disabled, the
  // dialog refuses drops itself.
  if (!TakesInput()) return 0;
  const DroppedPaths dropped = ParseDrop(files.get(), fw::LoadResourceString(IDS_PROJECT_EXTENSION));
  if (!dropped.project.empty() && ::IsWindowEnabled(GetDlgItem(IDC_PROJECT_PATH))) {
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_PROJECT_PATH, dropped.project.c_str());
  }
  if (!dropped.folder.empty() && ::IsWindowEnabled(GetDlgItem(IDC_PACKAGE_PATH))) {
    const std::wstring package = PackagePathInFolder(dropped.folder, fw::LoadResourceString(IDS_PACKAGE_FILE_FORMAT));
    ::SetDlgItemTextW(GetSafeHwnd(), IDC_PACKAGE_PATH, package.c_str());
  }
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

bool CTessamDlg::TakesInput() const {
  // The count also covers the moments in which a box already, or still,
  // runs its message loop while the dialog is enabled.
  return modalWindows_ == 0 && ::IsWindowEnabled(GetSafeHwnd());
}

std::wstring CTessamDlg::ControlText(int controlId) const { return fw::WindowText(GetDlgItem(controlId)); }

bool CTessamDlg::EncryptionChecked() const {
  return ::IsDlgButtonChecked(GetSafeHwnd(), IDC_ENCRYPT) == BST_CHECKED;
}

}  // namespace tessam
