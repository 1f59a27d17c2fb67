#pragma once
#include "framework/app.h"

namespace tessam {

// The program: runs the main dialog once and ends when it ends.
class CTessamApp : public fw::CWinApp {
 public:
  BOOL InitInstance() override;
};

}  // namespace tessam
