#pragma once
#include "framework/dialog.h"

namespace tessam {

// "关于我们": template 100; OK, Escape and the close box end it, with the
// framework's default handling.
class CAboutDlg : public fw::CDialog {
 public:
  CAboutDlg();
};

}  // namespace tessam
