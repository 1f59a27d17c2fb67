#pragma once
// Support for the Windows program's tests: deadline waits, scratch folders,
// and the real main dialog, run modally on a thread of its own and driven from
// the test's thread as a user would, by control identifier.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include "framework/strings.h"
#include "tests/core/test_support.h"
#include "ui/tessam_dlg.h"

namespace tessam::test {

using namespace std::chrono_literals;

// Polls `condition` until it holds (true) or `deadline` passes (false).
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = 10s);

struct TempFolder : TempDir {
  std::wstring File(const std::wstring& name) const { return (path / name).wstring(); }
};

// File contents as a string of bytes: nothing for a missing file.
inline std::string ReadBytes(const std::wstring& file) {
  const Bytes bytes = ReadFile(file);
  return {bytes.begin(), bytes.end()};
}
inline void WriteBytes(const std::wstring& file, const std::string& bytes) {
  WriteFile(file, {bytes.begin(), bytes.end()});
}
std::wstring ClassName(HWND window);
// The first visible top-level window of `thread` whose owner is `owner`.
HWND FindThreadWindow(DWORD thread, HWND owner);

// A window the main dialog owns (a message box, the About box, a browse box)
// with its first static text.
struct OwnedWindow {
  HWND window = nullptr;
  std::wstring caption, text;
  HICON icon = nullptr;
};

// Clicks and keys are posted, so a box they open cannot block the test.
class DialogUnderTest {
 public:
  explicit DialogUnderTest(CTessamDlg::Services services);
  DialogUnderTest(const DialogUnderTest&) = delete;
  ~DialogUnderTest();  // ends a dialog that still runs: open boxes first, then "关闭"

  HWND window() const { return window_; }
  HWND item(int id) const { return ::GetDlgItem(window_, id); }
  std::wstring Text(int id) const { return fw::WindowText(item(id)); }
  void SetText(int id, const std::wstring& text) const { ::SetWindowTextW(item(id), text.c_str()); }
  bool Checked(int id) const { return ::SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Click(int id) const { Click(item(id)); }
  static void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }
  void PressKey(WPARAM key) const;  // to the focused control
  HWND Focus() const;
  void Sync() const;  // returns once all messages posted to the dialog's thread so far are handled
  std::optional<OwnedWindow> WaitForOwned(std::chrono::milliseconds deadline = 10s) const;
  void Dismiss(const OwnedWindow& box) const;  // presses OK and waits until the box is gone
  bool WaitForEnd() const { return WaitUntil([this] { return ended_.load(); }); }
  bool Running() const { return !ended_; }

 private:
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> ended_{false};
  HWND window_ = nullptr;
  std::thread thread_;
};

}  // namespace tessam::test
