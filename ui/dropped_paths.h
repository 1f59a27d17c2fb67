#pragma once
// Files and folders dropped on the main dialog from the shell.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

#include "framework/handles.h"

namespace tessam {

inline void FinishDrop(HDROP drop) { ::DragFinish(drop); }
using UniqueDrop = fw::UniqueHandleOf<HDROP, FinishDrop>;

// What a drop offers: the first project file (its extension compared without
// regard to case) and the first folder; anything else is ignored. Either may
// be empty.
struct DroppedPaths {
  std::wstring project;
  std::wstring folder;
};
DroppedPaths ParseDrop(HDROP drop, std::wstring_view projectExtension);

// True when a folder exists at `path`.
bool IsFolder(const std::wstring& path);

}  // namespace tessam
