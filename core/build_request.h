#pragma once
#include <array>
#include <optional>
#include <string>

#include "core/package_layout.h"

namespace tessam {

// What one build needs: UTF-16 paths in the platform's form, and the password
// to plant (exactly 8 UTF-16 units) or none.
struct BuildRequest {
  using Password = std::array<char16_t, project::kPasswordLength>;

  std::u16string projectPath;
  std::u16string packagePath;
  std::optional<Password> password;
};

}  // namespace tessam
