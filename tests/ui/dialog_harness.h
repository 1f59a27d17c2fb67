#pragma once
// Runs the real main dialog modally on a thread of its own, as the program
// would, and drives it from the test's thread the way a user does: texts,
// clicks and keys by control identifier, message boxes found and dismissed.
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "tests/ui/wait.h"
#include "ui/tessam_dlg.h"

namespace tessam::test {

// A window shown on the dialog's thread and owned by one of its windows.
struct OwnedWindow {
  HWND window = nullptr;
  std::wstring caption;
  std::wstring text;   // message boxes: the message
  HICON icon = nullptr;  // message boxes: the icon shown
};

class DialogUnderTest {
 public:
  explicit DialogUnderTest(CTessamDlg::Services services);
  DialogUnderTest(const DialogUnderTest&) = delete;
  DialogUnderTest& operator=(const DialogUnderTest&) = delete;
  // Ends a dialog that still runs (message boxes first, then "关闭").
  ~DialogUnderTest();

  HWND window() const { return window_; }
  HWND item(int controlId) const { return ::GetDlgItem(window_, controlId); }
  DWORD threadId() const { return threadId_; }

  std::wstring Text(int controlId) const;
  void SetText(int controlId, const std::wstring& text);
  bool Checked(int controlId) const;
  // A click as the button sees it (posted, so a box it opens cannot block us).
  void Click(int controlId);
  void Click(HWND button);
  // Key press and release, posted to `target` (the focused control by default).
  void PressKey(WPARAM key, HWND target = nullptr);
  void TypeText(const std::wstring& text, HWND target);
  HWND Focus() const;

  // Returns once every message posted to the dialog's thread before the call
  // has been handled.
  void Sync();

  // A message box or dialog owned by `owner` (the main dialog by default).
  std::optional<OwnedWindow> FindOwned(HWND owner = nullptr) const;
  std::optional<OwnedWindow> WaitForOwned(HWND owner = nullptr,
                                          std::chrono::milliseconds deadline = kDeadline) const;
  // Presses the box's OK button and waits until the box is gone.
  void Dismiss(const OwnedWindow& box);

  bool Running() const { return !ended_; }
  bool WaitForEnd(std::chrono::milliseconds deadline = kDeadline) const;
  INT_PTR result() const { return result_; }

 private:
  void Run(CTessamDlg::Services services);

  std::atomic<DWORD> threadIdAtomic_{0};
  std::atomic<bool> ended_{false};
  std::atomic<INT_PTR> result_{0};
  DWORD threadId_ = 0;
  HWND window_ = nullptr;
  std::thread thread_;
};

// The control's window class ("Edit", "Button", "Static").
std::wstring ClassName(HWND window);

}  // namespace tessam::test
