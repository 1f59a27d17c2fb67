#pragma once
// How a path is handed to Windows: the one conversion, used by the file layer
// and by every existence check. Windows only.
#include <string>

namespace tessam {

// `path` as Windows' file functions take it. Windows 7 to 11 refuse a path of
// MAX_PATH (260) characters or more unless the long-path policy is on, but take
// any length in the \\?\ form. That form skips Windows' own clean-up of the
// path (relative paths, "..", "/"), so the path is first made absolute as
// Windows would; one that then fits is handed over as it is now, a longer one
// in the long form.
std::wstring WindowsPath(const std::u16string& path);

// The long form of an absolute, cleaned-up path: \\?\C:\... or, for a share,
// \\?\UNC\server\share\...; a path already in a \\?\ or \\.\ form stays as it is.
std::wstring LongPathForm(const std::wstring& absolutePath);

}  // namespace tessam
