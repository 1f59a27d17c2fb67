#pragma once
// The generation worker's only way to the window: requests posted to the
// dialog (never sent, so the worker never waits on the window thread), and
// only while the dialog still listens. Shared by the dialog and its workers;
// a worker that outlives the dialog finds it disconnected.
#include <windows.h>

#include <deque>
#include <mutex>
#include <string>

namespace tessam {

// What a finished worker asks the window to show and do.
struct WorkerOutcome {
  std::wstring message;      // shown in a box captioned "提示"; empty: no box
  int result = 0;            // 1: the package was written, so reveal it
  std::wstring packagePath;  // the worker's own copy of the package text
};

class WorkerChannel {
 public:
  // wParam: TRUE to enable ProjectPathEdit, FALSE to disable it.
  static constexpr UINT kProjectEditMessage = WM_APP + 1;
  // Outcomes are waiting in TakeOutcomes.
  static constexpr UINT kOutcomeMessage = WM_APP + 2;
  // wParam: how far the build has come, in thousandths.
  static constexpr UINT kProgressMessage = WM_APP + 3;
  static constexpr unsigned kProgressScale = 1000;

  explicit WorkerChannel(HWND dialog) : dialog_(dialog) {}

  // Worker side.
  bool Connected() const;
  void SetProjectEditEnabled(bool enabled);
  void Deliver(WorkerOutcome outcome);
  void ReportProgress(unsigned thousandths);

  // Window side.
  std::deque<WorkerOutcome> TakeOutcomes();
  // From here on nothing reaches the window, and undelivered outcomes are dropped.
  void Disconnect();

 private:
  mutable std::mutex mutex_;
  HWND dialog_;  // null once disconnected
  std::deque<WorkerOutcome> outcomes_;
};

}  // namespace tessam
