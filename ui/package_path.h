#pragma once
#include <string>
#include <string_view>

namespace tessam {

// The package path for a folder picked in the folder box: `folder` put into
// `pattern` ("%s\VANTU.PPW"). A folder that already ends in a separator (a
// drive root such as "E:\") loses it first, so the result never holds a
// doubled separator.
std::wstring PackagePathInFolder(std::wstring_view folder, std::wstring_view pattern);

}  // namespace tessam

namespace tessam {

// A path as typed or pasted: surrounding spaces, and one pair of double
// quotes around it ("Copy as path" adds them), removed. Quotes cannot be part
// of a Windows file name, so nothing of a real path is lost.
std::wstring TrimPastedPath(std::wstring_view text);

}  // namespace tessam
