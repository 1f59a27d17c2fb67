#include "tests/ui/test_support.h"

#include <gtest/gtest.h>

#include "framework/com.h"
#include "ui/resource.h"

namespace tessam::test {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto until = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

HWND FindThreadWindow(DWORD thread, HWND owner) {
  std::pair<HWND, HWND> search{owner, nullptr};
  ::EnumThreadWindows(
      thread,
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<std::pair<HWND, HWND>*>(context);
        if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) != s->first) return TRUE;
        s->second = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.second;
}

namespace {

// Sync posts numbered messages; a hook on the dialog's thread notes each one
// as whichever message loop runs there (the dialog's or a box's) takes it.
const UINT kSyncMessage = ::RegisterWindowMessageW(L"TessamTestSync");
std::atomic<LPARAM> syncSeen{0};
std::atomic<LPARAM> syncPosted{0};

LRESULT CALLBACK SeeSyncMessages(int code, WPARAM removed, LPARAM message) {
  const auto* msg = reinterpret_cast<const MSG*>(message);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == kSyncMessage) syncSeen = msg->lParam;
  return ::CallNextHookEx(nullptr, code, removed, message);
}

}  // namespace

DialogUnderTest::DialogUnderTest(CTessamDlg::Services services)
    : thread_([this, services = std::move(services)]() mutable {
        const fw::ComApartment com;
        const fw::UniqueHook hook(::SetWindowsHookExW(WH_GETMESSAGE, SeeSyncMessages, nullptr, ::GetCurrentThreadId()));
        threadId_ = ::GetCurrentThreadId();
        CTessamDlg(std::move(services)).DoModal();
        ended_ = true;
      }) {
  // The dialog is its thread's only visible top-level window without an owner.
  WaitUntil([this] { return threadId_ && (window_ = FindThreadWindow(threadId_, nullptr)); });
  if (!window_) ADD_FAILURE() << "the main dialog did not appear";
}

DialogUnderTest::~DialogUnderTest() {
  if (!ended_ && window_) {
    // Whatever a failed test left open goes first, so "关闭" can be clicked.
    std::optional<OwnedWindow> box;
    for (int boxes = 0; boxes < 10 && (box = WaitForOwned(0ms)); ++boxes) {
      ::PostMessageW(box->window, WM_CLOSE, 0, 0);
      WaitUntil([&] { return !::IsWindow(box->window); });
    }
    Click(IDC_CLOSE_BUTTON);
    if (!WaitForEnd()) ADD_FAILURE() << "the dialog did not end";
  }
  if (ended_) {
    thread_.join();
  } else {
    thread_.detach();  // a hung dialog must not hang the whole suite
  }
}

void DialogUnderTest::PressKey(WPARAM key) const {
  const LPARAM scan = ::MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC) << 16;
  ::PostMessageW(Focus(), WM_KEYDOWN, key, 1 | scan);
  ::PostMessageW(Focus(), WM_KEYUP, key, 1 | scan | (3LL << 30));
}

HWND DialogUnderTest::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  return ::GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
}

void DialogUnderTest::Sync() const {
  const LPARAM ticket = ++syncPosted;
  ::PostMessageW(window_, kSyncMessage, 0, ticket);
  if (!WaitUntil([&] { return syncSeen >= ticket || ended_; })) ADD_FAILURE() << "the dialog's thread is stuck";
}

std::optional<OwnedWindow> DialogUnderTest::WaitForOwned(std::chrono::milliseconds deadline) const {
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

void DialogUnderTest::Dismiss(const OwnedWindow& box) const {
  ::PostMessageW(box.window, WM_COMMAND, IDOK, 0);
  if (!WaitUntil([&] { return !::IsWindow(box.window); })) ADD_FAILURE() << "the box did not close";
}

}  // namespace tessam::test
