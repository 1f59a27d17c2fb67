#include "tests/ui/dialog_harness.h"

#include <gtest/gtest.h>

#include "ui/framework/handles.h"
#include "ui/framework/strings.h"
#include "ui/resource.h"

namespace tessam::test {

namespace {

// Sync: a numbered message posted to the dialog; a hook on the dialog's
// thread notes each one as it is taken from the queue, by whichever message
// loop runs there (the dialog's own, or a box's nested one).
const UINT kSyncMessage = ::RegisterWindowMessageW(L"TessamTestSync");
std::atomic<LPARAM> syncSeen{0};
std::atomic<LPARAM> syncPosted{0};

LRESULT CALLBACK SeeSyncMessages(int code, WPARAM removed, LPARAM message) {
  const auto* msg = reinterpret_cast<const MSG*>(message);
  if (code == HC_ACTION && removed == PM_REMOVE && msg->message == kSyncMessage) syncSeen = msg->lParam;
  return ::CallNextHookEx(nullptr, code, removed, message);
}

struct ThreadWindows {
  HWND owner;
  HWND skip;
  HWND found = nullptr;
};

}  // namespace

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

DialogUnderTest::DialogUnderTest(CTessamDlg::Services services)
    : thread_([this, services = std::move(services)]() mutable { Run(std::move(services)); }) {
  // The dialog is the thread's only top-level window without an owner.
  const bool shown = WaitUntil([this] {
    threadId_ = threadIdAtomic_;
    if (threadId_ == 0) return false;
    ::EnumThreadWindows(
        threadId_,
        [](HWND window, LPARAM self) -> BOOL {
          if (ClassName(window) == L"#32770" && !::GetWindow(window, GW_OWNER) && ::IsWindowVisible(window)) {
            reinterpret_cast<DialogUnderTest*>(self)->window_ = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(this));
    return window_ != nullptr || ended_;
  });
  if (!shown || !window_) ADD_FAILURE() << "the main dialog did not appear";
}

void DialogUnderTest::Run(CTessamDlg::Services services) {
  const fw::ComApartment com;
  const fw::UniqueHook hook(::SetWindowsHookExW(WH_GETMESSAGE, SeeSyncMessages, nullptr, ::GetCurrentThreadId()));
  {
    CTessamDlg dialog(std::move(services));
    threadIdAtomic_ = ::GetCurrentThreadId();
    result_ = dialog.DoModal();
  }
  ended_ = true;
}

DialogUnderTest::~DialogUnderTest() {
  if (!ended_ && window_) {
    // Whatever a failed test left open goes first, so "关闭" can be clicked.
    for (int boxes = 0; boxes < 10; ++boxes) {
      const auto box = FindOwned();
      if (!box) break;
      ::PostMessageW(box->window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      ::PostMessageW(box->window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      WaitUntil([&] { return !::IsWindow(box->window); });
    }
    Click(IDC_CLOSE_BUTTON);
    if (!WaitForEnd()) ADD_FAILURE() << "the dialog did not end";
  }
  if (thread_.joinable()) {
    if (ended_) {
      thread_.join();
    } else {
      thread_.detach();  // a hung dialog must not hang the whole suite
    }
  }
}

std::wstring DialogUnderTest::Text(int controlId) const { return fw::WindowText(item(controlId)); }

void DialogUnderTest::SetText(int controlId, const std::wstring& text) {
  ::SendMessageW(item(controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool DialogUnderTest::Checked(int controlId) const {
  return ::SendMessageW(item(controlId), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void DialogUnderTest::Click(int controlId) { Click(item(controlId)); }

void DialogUnderTest::Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

void DialogUnderTest::PressKey(WPARAM key, HWND target) {
  if (!target) target = Focus();
  const UINT scan = ::MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  ::PostMessageW(target, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scan) << 16));
  ::PostMessageW(target, WM_KEYUP, key, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
}

void DialogUnderTest::TypeText(const std::wstring& text, HWND target) {
  for (const wchar_t c : text) ::PostMessageW(target, WM_CHAR, c, 1);
}

HWND DialogUnderTest::Focus() const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!::GetGUIThreadInfo(threadId_, &info)) return nullptr;
  return info.hwndFocus;
}

void DialogUnderTest::Sync() {
  const LPARAM ticket = ++syncPosted;
  ::PostMessageW(window_, kSyncMessage, 0, ticket);
  if (!WaitUntil([&] { return syncSeen >= ticket || ended_; })) ADD_FAILURE() << "the dialog's thread is stuck";
}

std::optional<OwnedWindow> DialogUnderTest::FindOwned(HWND owner) const {
  ThreadWindows search{owner ? owner : window_, window_};
  ::EnumThreadWindows(
      threadId_,
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<ThreadWindows*>(context);
        if (window != s->skip && ::IsWindowVisible(window) && ::GetWindow(window, GW_OWNER) == s->owner) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (!search.found) return std::nullopt;

  OwnedWindow box;
  box.window = search.found;
  box.caption = fw::WindowText(search.found);
  for (HWND child = ::GetWindow(search.found, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) != L"Static") continue;
    if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      box.icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    } else if (box.text.empty()) {
      box.text = fw::WindowText(child);
    }
  }
  return box;
}

std::optional<OwnedWindow> DialogUnderTest::WaitForOwned(HWND owner, std::chrono::milliseconds deadline) const {
  std::optional<OwnedWindow> box;
  WaitUntil([&] { return (box = FindOwned(owner)).has_value(); }, deadline);
  return box;
}

void DialogUnderTest::Dismiss(const OwnedWindow& box) {
  ::PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  if (!WaitUntil([&] { return !::IsWindow(box.window); })) ADD_FAILURE() << "the box did not close";
}

bool DialogUnderTest::WaitForEnd(std::chrono::milliseconds deadline) const {
  return WaitUntil([this] { return ended_.load(); }, deadline);
}

}  // namespace tessam::test
