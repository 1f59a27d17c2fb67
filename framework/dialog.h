#pragma once
// A dialog made from a template in the module's resources, run modally by our
// own message loop: the dialog is created modeless, its owner disabled, and
// every message passes PreTranslateMessage before the dialog manager sees it.
#include <windows.h>

#include "framework/message_map.h"

namespace fw {

class CDialog {
 public:
  explicit CDialog(UINT templateId);
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;
  virtual ~CDialog();

  // Runs the dialog until EndDialog; returns its result, or -1 when the
  // dialog could not be created. `owner` is disabled meanwhile.
  INT_PTR DoModal(HWND owner = nullptr);
  // Ends the modal run with `result` once the current message is handled.
  void EndDialog(INT_PTR result);

  HWND GetSafeHwnd() const { return hwnd_; }
  HWND GetDlgItem(int controlId) const { return ::GetDlgItem(hwnd_, controlId); }

 protected:
  // Default: data exchange, then TRUE so the dialog manager focuses the
  // first control in tab order.
  virtual BOOL OnInitDialog();
  // Control set-up that goes with the template (text limits and the like).
  virtual void DoDataExchange() {}
  // TRUE swallows the message before the dialog manager sees it.
  virtual BOOL PreTranslateMessage(MSG* message);
  // The class's message map; no value means default processing.
  virtual MessageResult OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  HWND hwnd_ = nullptr;
  bool ended_ = false;
  INT_PTR result_ = IDCANCEL;
};

}  // namespace fw
