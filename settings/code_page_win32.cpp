#include "settings/code_page.h"

#include <windows.h>

#include <cstddef>

namespace tessam {

// MB_ERR_INVALID_CHARS (Vista and later) makes the whole conversion fail where
// a bad sequence would otherwise become U+FFFD or a best-fit guess.
CodePage CodePageNumbered(unsigned number) {
  return {number, [number](std::string_view bytes) -> std::optional<std::u16string> {
            if (bytes.empty()) return std::u16string();
            const int size = static_cast<int>(bytes.size());
            const int length = ::MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
            if (length <= 0) return std::nullopt;
            std::u16string text(static_cast<std::size_t>(length), u'\0');
            ::MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, bytes.data(), size,
                                  reinterpret_cast<wchar_t*>(text.data()), length);
            return text;
          }};
}

CodePage SystemCodePage() { return CodePageNumbered(::GetACP()); }

}  // namespace tessam
