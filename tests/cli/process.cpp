#include <fstream>
#include <sstream>

#include "tests/cli/process.h"

namespace tessam::test {

std::string ReadCapture(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream whole;
  whole << in.rdbuf();
  const std::string text = whole.str();
  std::string unix;
  unix.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    unix += text[i];
  }
  return unix;
}

}  // namespace tessam::test
