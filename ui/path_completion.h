#pragma once
// File-system path completion for an edit, as the shell's own path fields
// have it: suggestions drop down while the user types.
#include <windows.h>
#include <shldisp.h>

#include "framework/com.h"

namespace tessam {

class PathCompletion {
 public:
  // Fails quietly where the shell offers no completion: the edit still works.
  void Attach(HWND edit);

 private:
  // Kept for as long as the edit lives (the dialog holds this object).
  fw::ComPtr<IAutoComplete2> completion_;
};

}  // namespace tessam
