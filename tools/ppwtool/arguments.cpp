#include "tools/ppwtool/arguments.h"

#include <algorithm>
#include <iostream>

#include "core/utf.h"

namespace ppwtool {

std::optional<std::u16string> ParsePath(const char* what, const std::string& text) {
  auto path = tessam::Utf8ToUtf16(text);
  if (!path) std::cerr << "ppwtool: the " << what << " path is not valid UTF-8 text\n";
  return path;
}

std::optional<tessam::BuildRequest::Password> ParsePassword(const std::string& text) {
  const auto units = tessam::Utf8ToUtf16(text);
  if (!units) {
    std::cerr << "ppwtool: --password is not valid UTF-8 text\n";
    return std::nullopt;
  }
  tessam::BuildRequest::Password password{};
  if (units->size() != password.size()) {
    std::cerr << "ppwtool: --password must be exactly " << password.size()
              << " characters, not " << units->size() << "\n";
    return std::nullopt;
  }
  std::copy(units->begin(), units->end(), password.begin());
  return password;
}

}  // namespace ppwtool
