#pragma once
#include <optional>
#include <string>

#include "core/package_format.h"

namespace tessam {

// What one build needs: UTF-16 paths in the platform's form, and the password
// to plant or none.
struct BuildRequest {
  using Password = tessam::Password;

  std::u16string projectPath;
  std::u16string packagePath;
  std::optional<Password> password;
};

}  // namespace tessam
