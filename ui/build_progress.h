#pragma once
// Where the progress of a running build is shown. The dialog reports to it on
// the window thread; tests substitute one that records the values.
#include <windows.h>

#include <cstdint>
#include <memory>

namespace tessam {

class BuildProgress {
 public:
  virtual ~BuildProgress() = default;
  // `done` of `total` for the build started from `window`.
  virtual void Show(HWND window, std::uint64_t done, std::uint64_t total) = 0;
  // The build is over: no progress shown any more.
  virtual void Clear(HWND window) = 0;
};

// On the window's task-bar button (ITaskbarList3). Where the shell offers no
// such interface, it shows nothing and fails nowhere.
std::shared_ptr<BuildProgress> TaskbarProgress();

}  // namespace tessam
