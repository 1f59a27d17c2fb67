#pragma once
// How a path is handed to Windows: the one conversion, used by the file layer
// and by every existence check. Windows only.
#include <string>

namespace tessam {

// `path` as Windows' file functions take it. Windows refuses paths of MAX_PATH
// (260) characters or more unless in the \\?\ form, which skips Windows' own
// clean-up (relative paths, "..", "/"); so the path is made absolute as Windows
// would, and only one that then does not fit is put in the long form.
std::wstring WindowsPath(const std::u16string& path);

// The long form of an absolute, cleaned-up path: \\?\C:\... or, for a share,
// \\?\UNC\server\share\...; a path already in a \\?\ or \\.\ form stays as it is.
std::wstring LongPathForm(const std::wstring& absolutePath);

}  // namespace tessam
