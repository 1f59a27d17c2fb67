#pragma once
// The main dialog: project and package paths, encryption and password, and
// the button that starts a build.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "settings/settings_file.h"
#include "ui/framework/dialog.h"
#include "ui/framework/handles.h"

namespace tessam {

class CTessamDlg : public fw::CDialog {
 public:
  // What the dialog reaches outside itself; tests substitute their own.
  struct Services {
    std::wstring settingsPath;  // "config.cfg" to load from and save to
  };

  CTessamDlg();  // settings beside the executable
  explicit CTessamDlg(Services services);
  ~CTessamDlg() override;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange() override;
  BOOL PreTranslateMessage(MSG* message) override;
  fw::MessageResult OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnBrowseProject();
  void OnBrowseFolder();
  void OnEncryptClicked();
  void OnGenerate();
  void OnCloseButton();
  fw::MessageResult OnClose(WPARAM, LPARAM);
  fw::MessageResult OnSysCommand(WPARAM command, LPARAM);
  fw::MessageResult OnPaint(WPARAM, LPARAM);
  fw::MessageResult OnQueryDragIcon(WPARAM, LPARAM);

  std::wstring ControlText(int controlId) const;
  bool EncryptionChecked() const;

  fw::UniqueIcon icon_;       // big: window, minimised paint, drag
  fw::UniqueIcon smallIcon_;  // caption and task bar
  SettingsFile settings_;
};

}  // namespace tessam
