#pragma once
// A message map: a small static table per dialog class that routes control
// clicks and window messages to member functions, so that the class reads
// like the list of events it handles.
#include <windows.h>

#include <optional>
#include <span>

namespace fw {

// A handler's answer: a result for the message, or no value to let the
// dialog manager do its default processing.
using MessageResult = std::optional<LRESULT>;
inline constexpr MessageResult kDefaultProcessing = std::nullopt;

template <class Owner>
struct MessageEntry {
  UINT message;       // WM_COMMAND for control notifications
  UINT controlId;     // WM_COMMAND entries only
  UINT notifyCode;    // WM_COMMAND entries only
  void (Owner::*onCommand)();
  MessageResult (Owner::*onMessage)(WPARAM, LPARAM);
};

// A click on the push button or check box `controlId`.
template <class Owner>
constexpr MessageEntry<Owner> OnClicked(UINT controlId, void (Owner::*handler)()) {
  return {WM_COMMAND, controlId, BN_CLICKED, handler, nullptr};
}

// Any other window message.
template <class Owner>
constexpr MessageEntry<Owner> OnMessage(UINT message, MessageResult (Owner::*handler)(WPARAM, LPARAM)) {
  return {message, 0, 0, nullptr, handler};
}

// Calls the first entry that matches; no value when none does or the handler
// asks for default processing.
template <class Owner>
MessageResult Dispatch(std::span<const MessageEntry<Owner>> map, Owner& owner, UINT message,
                       WPARAM wParam, LPARAM lParam) {
  for (const auto& entry : map) {
    if (entry.message != message) continue;
    if (message == WM_COMMAND) {
      if (entry.controlId != LOWORD(wParam) || entry.notifyCode != HIWORD(wParam)) continue;
      (owner.*entry.onCommand)();
      return 0;
    }
    return (owner.*entry.onMessage)(wParam, lParam);
  }
  return kDefaultProcessing;
}

}  // namespace fw
