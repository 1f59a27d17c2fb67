#pragma once
// Deadline waits, and the real main dialog, modal on a thread of its own, driven from the test's as a user would.
#include <windows.h>

#include <atomic>
#include <optional>

#include "framework/com.h"
#include "framework/strings.h"
#include "settings/settings_file.h"
#include "tests/core/test_support.h"
#include "ui/resource.h"
#include "ui/tessam_dlg.h"

namespace tessam::test {


struct TempFolder : TempDir { std::wstring File(const std::wstring& name) const { return (path / name).wstring(); } };

// Saved settings as "project | package | password", compared in one piece.
inline std::wstring Joined(const SavedSettings& saved) {
  return saved.projectPath + L" | " + saved.packagePath + L" | " + saved.password;
}

inline std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  return {name, static_cast<std::size_t>(::GetClassNameW(window, name, 64))};
}
// The first visible top-level window of `thread` whose owner is `owner`.
inline HWND FindThreadWindow(DWORD thread, HWND owner) {
  for (HWND window = ::GetTopWindow(nullptr); window; window = ::GetWindow(window, GW_HWNDNEXT)) {
    if (::GetWindowThreadProcessId(window, nullptr) == thread && ::IsWindowVisible(window) &&
        ::GetWindow(window, GW_OWNER) == owner) {
      return window;
    }
  }
  return nullptr;
}

// A window the dialog owns (a message box, the About box, a browse box), its first text.
struct OwnedWindow { HWND window = nullptr; std::wstring caption, text; HICON icon = nullptr; };

// Sync posts numbered messages; a hook notes each as whichever loop runs there takes it.
inline const UINT kSyncMessage = ::RegisterWindowMessageW(L"TessamTestSync");
inline std::atomic<LPARAM> syncSeen{0}, syncPosted{0};
inline LRESULT CALLBACK SeeSyncMessages(int code, WPARAM removed, LPARAM message) {
  const auto* msg = reinterpret_cast<const MSG*>(message);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == kSyncMessage) syncSeen = msg->lParam;
  return ::CallNextHookEx(nullptr, code, removed, message);
}

// Clicks and keys are posted, so a box they open cannot block the test; each returns once handled.
class DialogUnderTest {
 public:
  explicit DialogUnderTest(CTessamDlg::Services services)
      : thread_([this, services = std::move(services)]() mutable {
          const fw::ComApartment com;
          threadId_ = ::GetCurrentThreadId();
          const fw::UniqueHook hook(::SetWindowsHookExW(WH_GETMESSAGE, SeeSyncMessages, nullptr, threadId_));
          CTessamDlg(std::move(services)).DoModal();
          ended_ = true;
        }) {
    // The dialog is its thread's only visible top-level window without an owner.
    WaitUntil([this] { return threadId_ && (window_ = FindThreadWindow(threadId_, nullptr)); });
    if (!window_) ADD_FAILURE() << "the main dialog did not appear";
  }
  DialogUnderTest(const DialogUnderTest&) = delete;
  // Ends a dialog a failed test left running: its boxes first, so "关闭" can be clicked.
  ~DialogUnderTest() {
    if (!ended_ && window_) {
      for (int boxes = 0; boxes < 10; ++boxes) {
        if (const auto box = WaitForOwned(0ms)) Dismiss(*box, IDCANCEL);
      }
      Click(IDC_CLOSE_BUTTON);
      if (!WaitForEnd()) ADD_FAILURE() << "the dialog did not end";
    }
    ended_ ? thread_.join() : thread_.detach();  // a hung dialog must not hang the whole suite
  }

  HWND window() const { return window_; }
  HWND item(int id) const { return ::GetDlgItem(window_, id); }
  std::wstring Text(int id) const { return fw::WindowText(item(id)); }
  void SetText(int id, const std::wstring& text) const { ::SetWindowTextW(item(id), text.c_str()); }
  // Both path edits: set, and read as "project | package".
  void SetPaths(const std::wstring& project, const std::wstring& package) const {
    SetText(IDC_PROJECT_PATH, project); SetText(IDC_PACKAGE_PATH, package);
  }
  std::wstring Paths() const { return Text(IDC_PROJECT_PATH) + L" | " + Text(IDC_PACKAGE_PATH); }
  bool Checked(int id) const { return ::SendMessageW(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void Click(int id) const { ::PostMessageW(item(id), BM_CLICK, 0, 0); Sync(); }
  // The key-down, which is what a dialog acts on, to the focused control.
  void PressKey(WPARAM key) const { ::PostMessageW(Focus(), WM_KEYDOWN, key, 1); Sync(); }
  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
  }
  // Returns once all messages posted to the dialog's thread so far are handled.
  void Sync() const {
    const LPARAM ticket = ++syncPosted;
    ::PostMessageW(window_, kSyncMessage, 0, ticket);
    if (!WaitUntil([&] { return syncSeen >= ticket || ended_; })) ADD_FAILURE() << "the dialog's thread is stuck";
  }
  std::optional<OwnedWindow> WaitForOwned(std::chrono::milliseconds deadline = 10s) const {
    HWND found = nullptr;
    if (!WaitUntil([&] { return (found = FindThreadWindow(threadId_, window_)) != nullptr; }, deadline)) return {};
    OwnedWindow box{found, fw::WindowText(found), {}, nullptr};
    for (HWND child = ::GetWindow(found, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
      if (ClassName(child) != L"Static") continue;
      if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box.icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
      } else if (box.text.empty()) {
        box.text = fw::WindowText(child);
      }
    }
    return box;
  }
  // Returns once the box is gone and the dialog has handled its answer.
  void Dismiss(const OwnedWindow& box, WPARAM button = IDOK) const {
    ::PostMessageW(box.window, WM_COMMAND, button, 0);
    if (!WaitUntil([&] { return !::IsWindow(box.window); })) ADD_FAILURE() << "the box did not close";
    Sync();
  }
  bool WaitForEnd() const { return WaitUntil([this] { return ended_.load(); }); }
  bool Running() const { return !ended_; }

 private:
  std::atomic<DWORD> threadId_{0};
  std::atomic<bool> ended_{false};
  HWND window_ = nullptr;
  std::thread thread_;
};

}  // namespace tessam::test
