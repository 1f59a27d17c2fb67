// A small remote control for Tessam's windows, for the screenshot script:
// finds top-level windows by title on a Wine desktop and sends them what a
// user's clicks and typing would. Prints window rectangles for cropping.
//
//   tessam_ui_driver DESKTOP wait TITLE          prints "x y width height"
//   tessam_ui_driver DESKTOP wait-gone TITLE
//   tessam_ui_driver DESKTOP click TITLE ID      a button of the window
//   tessam_ui_driver DESKTOP set-text TITLE ID TEXT
//   tessam_ui_driver DESKTOP command TITLE ID    WM_COMMAND (OK of a box: 1)
//   tessam_ui_driver DESKTOP syscommand TITLE ID
//   tessam_ui_driver DESKTOP close TITLE
//   tessam_ui_driver DESKTOP list -              visible windows, titles in hex
// An action written "owned-ACTION" acts on the box or dialog that the window
// TITLE owns (an open-file box, a message box) instead of on TITLE itself.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <thread>

namespace {

constexpr auto kDeadline = std::chrono::seconds(30);

HWND FindVisibleWindow(const std::wstring& title) {
  struct Search {
    const std::wstring* title;
    HWND found;
  } search{&title, nullptr};
  ::EnumWindows(
      [](HWND window, LPARAM context) WINAPI -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        wchar_t text[512] = {};
        ::GetWindowTextW(window, text, 512);
        if (::IsWindowVisible(window) && *s->title == text) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForWindow(const std::wstring& title) {
  const auto until = std::chrono::steady_clock::now() + kDeadline;
  while (std::chrono::steady_clock::now() < until) {
    if (const HWND window = FindVisibleWindow(title)) return window;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::fwprintf(stderr, L"no window titled \"%ls\"\n", title.c_str());
  std::exit(2);
}

// The visible window owned by `owner`, waited for.
HWND WaitForOwnedWindow(HWND owner) {
  const auto until = std::chrono::steady_clock::now() + kDeadline;
  while (std::chrono::steady_clock::now() < until) {
    struct Search {
      HWND owner;
      HWND found;
    } search{owner, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM context) WINAPI -> BOOL {
          auto* s = reinterpret_cast<Search*>(context);
          if (::IsWindowVisible(window) && ::GetWindow(window, GW_OWNER) == s->owner) {
            s->found = window;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::fwprintf(stderr, L"the window owns no box\n");
  std::exit(2);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fwprintf(stderr, L"usage: tessam_ui_driver DESKTOP ACTION TITLE [ID [TEXT]]\n");
    return 1;
  }
  // Windows are found only on our own desktop: join the program's first.
  // (The desktop appears when the program's first window does.)
  const auto desktopDeadline = std::chrono::steady_clock::now() + kDeadline;
  HDESK desktop = nullptr;
  while (!(desktop = ::OpenDesktopW(argv[1], 0, FALSE, GENERIC_ALL))) {
    if (std::chrono::steady_clock::now() > desktopDeadline) {
      std::fwprintf(stderr, L"no desktop %ls\n", argv[1]);
      return 2;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ::SetThreadDesktop(desktop);

  std::wstring action = argv[2];
  const bool owned = action.rfind(L"owned-", 0) == 0;
  if (owned) action.erase(0, 6);
  const std::wstring title = argv[3];
  const int id = argc > 4 ? static_cast<int>(std::wcstol(argv[4], nullptr, 0)) : 0;

  if (action == L"wait-gone") {
    const auto until = std::chrono::steady_clock::now() + kDeadline;
    while (FindVisibleWindow(title)) {
      if (std::chrono::steady_clock::now() > until) return 2;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
  }

  if (action == L"list") {  // every visible top-level window, titles as UTF-16 code units
    ::EnumWindows(
        [](HWND window, LPARAM) WINAPI -> BOOL {
          wchar_t text[512] = {};
          const int length = ::GetWindowTextW(window, text, 512);
          if (!::IsWindowVisible(window)) return TRUE;
          std::printf("%p", static_cast<void*>(window));
          for (int i = 0; i < length; ++i) std::printf(" %04x", static_cast<unsigned>(text[i]));
          std::printf("\n");
          return TRUE;
        },
        0);
    return 0;
  }

  HWND window = WaitForWindow(title);
  if (owned) window = WaitForOwnedWindow(window);
  if (action == L"wait") {
    RECT rect;
    ::GetWindowRect(window, &rect);
    std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
  } else if (action == L"click") {
    ::PostMessageW(::GetDlgItem(window, id), BM_CLICK, 0, 0);
  } else if (action == L"set-text" && argc > 5) {
    HWND control = ::GetDlgItem(window, id);
    // The file-name field of an open-file box is a combo box with an edit inside.
    if (const HWND inner = ::FindWindowExW(control, nullptr, L"Edit", nullptr)) control = inner;
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[5]));
  } else if (action == L"command") {
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  } else if (action == L"syscommand") {
    ::PostMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(id), 0);
  } else if (action == L"close") {
    ::PostMessageW(window, WM_CLOSE, 0, 0);
  } else {
    std::fwprintf(stderr, L"unknown action %ls\n", action.c_str());
    return 1;
  }
  return 0;
}
