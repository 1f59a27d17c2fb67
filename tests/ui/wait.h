#pragma once
// Waiting on conditions with a deadline, and a scratch folder per test.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

namespace tessam::test {

using namespace std::chrono_literals;

inline constexpr std::chrono::milliseconds kDeadline = 10s;

// Polls `condition` until it holds (true) or `deadline` passes (false).
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline = kDeadline);

// A fresh folder under the system's temporary folder, removed with its
// contents afterwards.
class TempFolder {
 public:
  TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder();

  const std::filesystem::path& path() const { return path_; }
  // `name` inside the folder, as a Windows path.
  std::wstring File(const std::wstring& name) const { return (path_ / name).wstring(); }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::wstring& file);
void WriteBytes(const std::wstring& file, const std::string& bytes);

}  // namespace tessam::test
