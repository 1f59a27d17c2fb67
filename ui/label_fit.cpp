#include "ui/label_fit.h"

#include <algorithm>

#include "framework/strings.h"

namespace tessam {

namespace {

RECT RectInDialog(HWND dialog, HWND control) {
  RECT rect;
  ::GetWindowRect(control, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

int TextWidth(HWND label) {
  const std::wstring text = fw::WindowText(label);
  const HDC dc = ::GetDC(label);
  const HGDIOBJ previous = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, previous);
  ::ReleaseDC(label, dc);
  return size.cx;
}

bool IsRightAlignedLabel(HWND window) {
  wchar_t name[16] = {};
  ::GetClassNameW(window, name, 16);
  return ::lstrcmpiW(name, L"Static") == 0 &&
         (::GetWindowLongPtrW(window, GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
}

}  // namespace

void WidenCutLabels(HWND dialog, HWND frame) {
  // Two dialog units keep the text off the group box's line.
  RECT margin{2, 0, 0, 0};
  ::MapDialogRect(dialog, &margin);
  const LONG frameLeft = RectInDialog(dialog, frame).left + margin.left;

  for (HWND label = ::GetWindow(dialog, GW_CHILD); label; label = ::GetWindow(label, GW_HWNDNEXT)) {
    if (!IsRightAlignedLabel(label)) continue;
    RECT client;
    ::GetClientRect(label, &client);
    const int width = TextWidth(label);
    if (width <= client.right) continue;

    RECT rect = RectInDialog(dialog, label);
    LONG limit = frameLeft;
    for (HWND other = ::GetWindow(dialog, GW_CHILD); other; other = ::GetWindow(other, GW_HWNDNEXT)) {
      if (other == label || other == frame) continue;
      const RECT theirs = RectInDialog(dialog, other);
      const bool besideVertically = theirs.top < rect.bottom && theirs.bottom > rect.top;
      if (besideVertically && theirs.right <= rect.left) limit = std::max(limit, theirs.right);
    }
    rect.left = std::max(std::min(rect.left, rect.right - width), limit);
    ::SetWindowPos(label, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace tessam
