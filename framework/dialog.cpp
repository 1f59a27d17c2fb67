#include "framework/dialog.h"

namespace fw {

namespace {

// Messages whose result a dialog procedure returns directly instead of
// through DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG: case WM_CTLCOLORSCROLLBAR: case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM: case WM_VKEYTOITEM: case WM_CHARTOITEM: case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

// Centres `dialog` on its owner, or on the work area when it has none,
// unless its template asks for a placement of its own.
void CentreUnlessPlaced(HWND dialog, HWND owner) {
  const LONG_PTR style = ::GetWindowLongPtrW(dialog, GWL_STYLE);
  if (style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) return;

  RECT area;
  if (!owner || ::IsIconic(owner) || !::GetWindowRect(owner, &area)) {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  RECT self;
  ::GetWindowRect(dialog, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;
  ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CDialog::CDialog(UINT templateId) : templateId_(templateId) {}

CDialog::~CDialog() {
  if (hwnd_) ::DestroyWindow(hwnd_);
}

INT_PTR CDialog::DoModal(HWND owner) {
  ended_ = false;
  result_ = IDCANCEL;
  const HWND dialog = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId_),
                                           owner, DialogProc, reinterpret_cast<LPARAM>(this));
  if (!dialog) return -1;

  // EnableWindow answers whether the owner was disabled before.
  const bool reenableOwner = owner && !::EnableWindow(owner, FALSE);
  CentreUnlessPlaced(dialog, owner);
  ::ShowWindow(dialog, SW_SHOW);

  MSG message;
  while (!ended_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == -1) break;
    if (got == 0) {  // WM_QUIT belongs to the outer loop, if any
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (PreTranslateMessage(&message) || ::IsDialogMessageW(dialog, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }

  // Give the owner back its input before the dialog goes, so that activation
  // returns to it rather than to another program.
  if (reenableOwner) ::EnableWindow(owner, TRUE);
  ::DestroyWindow(dialog);
  hwnd_ = nullptr;
  return result_;
}

void CDialog::EndDialog(INT_PTR result) {
  result_ = result;
  ended_ = true;
  // Wakes the loop when this was called from a message sent by another thread.
  if (hwnd_) ::PostMessageW(hwnd_, WM_NULL, 0, 0);
}

BOOL CDialog::OnInitDialog() {
  DoDataExchange();
  return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG*) { return FALSE; }

MessageResult CDialog::OnMessage(UINT, WPARAM, LPARAM) { return kDefaultProcessing; }

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDialog*>(lParam);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
  }
  auto* self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  return self->HandleMessage(message, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInitDialog();

  if (const MessageResult handled = OnMessage(message, wParam, lParam)) {
    if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(*handled);
    ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, *handled);
    return TRUE;
  }

  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace fw
