#pragma once
#include <string>

namespace tessam {

// Opens the folder holding `path` in the shell's file manager with the file
// selected. 1 when the shell accepted the request, 0 otherwise.
int RevealInExplorer(const std::wstring& path);

// `path` in a form the shell's parser accepts: absolute, and without the
// "\\?\" prefix where dropping it names the same file.
std::wstring ShellParsablePath(const std::wstring& path);

}  // namespace tessam
