#include "ui/package_path.h"

#include "framework/strings.h"

namespace tessam {

std::wstring PackagePathInFolder(std::wstring_view folder, std::wstring_view pattern) {
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.remove_suffix(1);
  return fw::FormatWith(pattern, folder);
}

}  // namespace tessam

namespace tessam {

namespace {
std::wstring_view TrimSpaces(std::wstring_view text) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  return text;
}
}  // namespace

std::wstring TrimPastedPath(std::wstring_view text) {
  text = TrimSpaces(text);
  if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') text = TrimSpaces(text.substr(1, text.size() - 2));
  return std::wstring(text);
}

}  // namespace tessam
