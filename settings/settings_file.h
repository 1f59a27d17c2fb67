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

  // Missing or unreadable file, section or key: empty values. Values come back
  // whole, from a file in any form an editor saves, judged by the one rule in
  // text_form.cpp; Windows' own functions read the forms they read right.
  SavedSettings Load() const;

  // Writes PMW then PPM in [Path]; every other line of the file stays. A new
  // file is created as UTF-16 LE with a byte-order mark, so that any path
  // survives. A UTF-16 LE file with a mark, and an ANSI file whose code page
  // holds both paths, keep their bytes but the new values; any other file
  // becomes UTF-16 LE with a mark first, every line kept, through a complete
  // new file that replaces it. A file held for a moment (a virus scanner) is
  // waited for, briefly. Failures are silent and leave the file as it was: one
  // that cannot be read, written, or decoded exactly (ANSI with bytes its code
  // page does not know, when the paths need the conversion).
  void SavePaths(const std::wstring& projectPath, const std::wstring& packagePath) const;

 private:
  std::wstring path_;
};

}  // namespace tessam
