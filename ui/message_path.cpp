#include "ui/message_path.h"

#include <windows.h>

#include "framework/handles.h"

namespace tessam {

std::wstring ShortenPathToFit(std::wstring_view path, int maxWidth,
                              const std::function<int(std::wstring_view)>& width) {
  if (width(path) <= maxWidth) return std::wstring(path);
  const auto shortened = [&](std::size_t kept) {
    const std::size_t head = (kept + 1) / 2;
    return std::wstring(path.substr(0, head)) + L"…" + std::wstring(path.substr(path.size() - (kept - head)));
  };
  // The most characters that still fit: widths grow with what is kept.
  std::size_t fits = 0, tooMany = path.size();
  while (tooMany - fits > 1) {
    const std::size_t kept = fits + (tooMany - fits) / 2;
    (width(shortened(kept)) <= maxWidth ? fits : tooMany) = kept;
  }
  return shortened(fits);
}

namespace {

void DeleteFontHandle(HFONT font) { ::DeleteObject(font); }
using UniqueFont = fw::UniqueHandleOf<HFONT, DeleteFontHandle>;

struct ScreenDc {
  ScreenDc() : dc(::GetDC(nullptr)) {}
  ScreenDc(const ScreenDc&) = delete;
  ~ScreenDc() { ::ReleaseDC(nullptr, dc); }
  HDC dc;
};

}  // namespace

std::wstring PathForMessage(std::wstring_view path) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  const UniqueFont font(::CreateFontIndirectW(&metrics.lfMessageFont));
  RECT area{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);

  const ScreenDc screen;
  const HGDIOBJ previous = ::SelectObject(screen.dc, font.get());
  // Half the screen leaves room for the box's icon, margins and frame.
  const std::wstring result = ShortenPathToFit(path, (area.right - area.left) / 2, [&](std::wstring_view text) {
    SIZE size{};
    ::GetTextExtentPoint32W(screen.dc, text.data(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  });
  ::SelectObject(screen.dc, previous);
  return result;
}

}  // namespace tessam
