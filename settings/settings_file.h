#pragma once
// "config.cfg" beside the executable: the last project and package paths
// ([Path] PMW and PPM) and the encryption password ([Password] Password).
#include <string>
#include <string_view>

namespace tessam {

struct SavedSettings {
  std::wstring projectPath;
  std::wstring packagePath;
  std::wstring password;  // as stored; the dialog applies the default
};

class SettingsFile {
 public:
  SettingsFile() = default;
  explicit SettingsFile(std::wstring path) : path_(std::move(path)) {}

  // The settings file in the directory of the running executable: that
  // directory put into `pattern` ("%s\config.cfg"), which the caller owns.
  void Locate(std::wstring_view pattern);
  const std::wstring& path() const { return path_; }

  // Missing file, section or key: empty values. Values come back whole.
  SavedSettings Load() const;

  // Writes PMW then PPM in [Path]; everything else in the file stays. A new
  // file is created as UTF-16 so that any path survives; an existing file
  // keeps its encoding unless a path does not fit it, and then becomes
  // UTF-16. Failures are silent: a file that cannot be written is left as it
  // was.
  void SavePaths(const std::wstring& projectPath, const std::wstring& packagePath) const;

 private:
  std::wstring path_;
};

}  // namespace tessam
