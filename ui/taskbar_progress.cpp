#include "ui/build_progress.h"

#include <shobjidl.h>

#include "framework/com.h"

namespace tessam {

namespace {

class TaskbarButtonProgress final : public BuildProgress {
 public:
  void Show(HWND window, std::uint64_t done, std::uint64_t total) override {
    if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressValue(window, done, total);
  }
  void Clear(HWND window) override {
    if (ITaskbarList3* taskbar = Taskbar()) taskbar->SetProgressState(window, TBPF_NOPROGRESS);
  }

 private:
  // Asked for once, on first use: the window thread has COM by then.
  ITaskbarList3* Taskbar() {
    if (!asked_) {
      asked_ = true;
      if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                    reinterpret_cast<void**>(taskbar_.put()))) ||
          FAILED(taskbar_->HrInit())) {
        taskbar_.reset();
      }
    }
    return taskbar_.get();
  }

  bool asked_ = false;
  fw::ComPtr<ITaskbarList3> taskbar_;
};

}  // namespace

std::shared_ptr<BuildProgress> TaskbarProgress() { return std::make_shared<TaskbarButtonProgress>(); }

}  // namespace tessam
