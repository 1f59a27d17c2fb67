#pragma once
// The main dialog: project and package paths, encryption and password, and
// the button that starts a build.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/package_builder.h"
#include "settings/settings_file.h"
#include "framework/dialog.h"
#include "framework/handles.h"
#include "ui/build_progress.h"
#include "ui/build_runner.h"
#include "ui/worker_channel.h"

namespace tessam {

class CTessamDlg : public fw::CDialog {
 public:
  // What the dialog reaches outside itself; tests substitute their own.
  using Reveal = std::function<int(const std::wstring& packagePath)>;
  struct Services {
    std::wstring settingsPath;                 // empty: "config.cfg" beside the executable
    std::shared_ptr<PackageBuilder> builder;   // empty: a new builder
    Reveal reveal;                             // empty: RevealInExplorer
    std::shared_ptr<BuildProgress> progress;   // empty: the task-bar button
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
  fw::MessageResult OnDestroy(WPARAM, LPARAM);
  fw::MessageResult OnWorkerProjectEdit(WPARAM enabled, LPARAM);
  fw::MessageResult OnWorkerOutcome(WPARAM, LPARAM);
  fw::MessageResult OnWorkerProgress(WPARAM thousandths, LPARAM);
  fw::MessageResult OnSetCursor(WPARAM, LPARAM hitTest);
  fw::MessageResult OnDropFiles(WPARAM drop, LPARAM);

  // Held while a modal window of the dialog is open (a box, the About box).
  // A worker's outcome that arrives meanwhile waits until the last one
  // closes: a box of its own would turn the dialog back on under the other.
  class ModalScope {
   public:
    explicit ModalScope(CTessamDlg& dialog);
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;
    ~ModalScope();

   private:
    CTessamDlg& dialog_;
  };

  void StartWorker();
  // Stops a running build and cuts every worker off from the window: no
  // message and no reveal after this. True when the builder is free.
  bool LetGoOfWorkers();

  // False while a modal window of the dialog is open.
  bool TakesInput() const;
  std::wstring ControlText(int controlId) const;
  bool EncryptionChecked() const;

  fw::UniqueIcon icon_;       // big: window, minimised paint, drag
  fw::UniqueIcon smallIcon_;  // caption and task bar
  SettingsFile settings_;
  std::shared_ptr<PackageBuilder> builder_;  // shared with the running worker
  Reveal reveal_;
  std::shared_ptr<BuildProgress> progress_;
  int modalWindows_ = 0;
  bool outcomeWaiting_ = false;
  std::shared_ptr<WorkerChannel> channel_;   // exists while the window does
  BuildRunner runner_;
};

}  // namespace tessam
