#pragma once
#include <windows.h>

namespace tessam {

// Right-aligned labels of `dialog` whose text their font makes wider than
// the label grow to the left, into the margin inside `frame` (the group box
// around them), never over another control. The template stays as it is;
// only fonts and scalings it was not drawn for need this.
void WidenCutLabels(HWND dialog, HWND frame);

}  // namespace tessam
