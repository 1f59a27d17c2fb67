#include "ui/about_dlg.h"

#include "ui/resource.h"

namespace tessam {

CAboutDlg::CAboutDlg() : fw::CDialog(IDD_ABOUTBOX) {}

}  // namespace tessam
