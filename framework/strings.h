#pragma once
// Texts from the module's string table and the one formatting the program
// needs: a single path put into a "%s" pattern, with no length limit.
#include <windows.h>

#include <string>
#include <string_view>

namespace fw {

// The string-table entry `id` of this module; empty when there is none.
std::wstring LoadResourceString(UINT id);

// `pattern` with its first "%s" replaced by `argument` ("%%" stays "%%"; the
// program's patterns have none).
std::wstring FormatWith(std::wstring_view pattern, std::wstring_view argument);

// The whole text of a window, however long.
std::wstring WindowText(HWND window);

// The full path of the running executable, however long.
std::wstring ModulePath();

}  // namespace fw
