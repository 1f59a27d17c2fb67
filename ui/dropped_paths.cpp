#include "ui/dropped_paths.h"

#include <shlwapi.h>

#include "core/windows_path.h"

namespace tessam {

namespace {

std::wstring DroppedName(HDROP drop, UINT index) {
  std::wstring name(::DragQueryFileW(drop, index, nullptr, 0), L'\0');
  const UINT copied = ::DragQueryFileW(drop, index, name.data(), static_cast<UINT>(name.size() + 1));
  name.resize(copied);
  return name;
}

}  // namespace

DroppedPaths ParseDrop(HDROP drop, std::wstring_view projectExtension) {
  const std::wstring extension(projectExtension);
  DroppedPaths found;
  const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const std::wstring name = DroppedName(drop, i);
    if (IsFolder(name)) {
      if (found.folder.empty()) found.folder = name;
    } else if (found.project.empty() && !extension.empty() &&
               ::lstrcmpiW(::PathFindExtensionW(name.c_str()), extension.c_str()) == 0) {
      found.project = name;
    }
  }
  return found;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(WindowsPath(std::u16string(path.begin(), path.end())).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace tessam
