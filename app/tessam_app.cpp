#include "app/tessam_app.h"

#include <commctrl.h>

#include "framework/com.h"
#include "ui/tessam_dlg.h"

namespace tessam {

// The one application object.
CTessamApp theApp;

BOOL CTessamApp::InitInstance() {
  // Every standard control class (the mask 0xFF covers them all).
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  ::InitCommonControlsEx(&controls);

  fw::CWinApp::InitInstance();

  // No embedded (ActiveX) controls are hosted, and nothing of this program
  // lives in the registry, so neither needs setting up. The shell's open-file
  // and folder boxes need COM on this thread for the whole run.
  const fw::ComApartment shell;

  CTessamDlg().DoModal();
  return FALSE;  // the process ends; there is no application message loop
}

}  // namespace tessam
