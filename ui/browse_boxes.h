#pragma once
// The two system boxes of the main dialog. Each returns no value when the
// user cancels (or the box cannot be shown), so the caller changes nothing.
#include <windows.h>

#include <optional>
#include <string>

namespace tessam {

// Open-file box for a project file, filtered by string 105 with the default
// extension of string 106.
std::optional<std::wstring> AskForProjectFile(HWND owner);

// Folder box, opened where `currentPackage` would go when that folder exists;
// the chosen folder's file-system path.
std::optional<std::wstring> AskForPackageFolder(HWND owner, const std::wstring& currentPackage);

}  // namespace tessam
