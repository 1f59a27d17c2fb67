#include "ui/package_path.h"

#include "framework/strings.h"

namespace tessam {

std::wstring PackagePathInFolder(std::wstring_view folder, std::wstring_view pattern) {
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.remove_suffix(1);
  return fw::FormatWith(pattern, folder);
}

}  // namespace tessam
