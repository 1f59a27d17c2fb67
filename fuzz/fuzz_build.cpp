// PackageBuilder::Build over arbitrary project bytes. Whatever the bytes, a
// build either writes a package that unscrambles back to the project's image
// (password planted) with both checksums right, or fails with 0, leaves no
// package behind and names a reason that fits the bytes.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/byte_order.h"
#include "core/crc16.h"
#include "core/package_builder.h"

namespace {

namespace fs = std::filesystem;

void Require(bool condition) {
  if (!condition) std::abort();
}

// One scratch folder per fuzzing process, removed when it ends.
const fs::path& ScratchFolder() {
  static const fs::path folder = [] {
    const fs::path path = fs::temp_directory_path() / ("tessam-fuzz-build-" + std::to_string(::getpid()));
    fs::create_directories(path);
    std::atexit([] { fs::remove_all(ScratchFolder()); });
    return path;
  }();
  return folder;
}

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path project = ScratchFolder() / "project.pmw";
  const fs::path package = ScratchFolder() / "VANTU.PPW";
  fs::remove(package);
  std::ofstream(project, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                   static_cast<std::streamsize>(size));

  // An odd first byte asks for a password made of the next 16 bytes.
  tessam::BuildRequest request{project.u16string(), package.u16string(), std::nullopt};
  if (size >= 17 && (data[0] & 1)) {
    tessam::BuildRequest::Password password;
    for (std::size_t i = 0; i < password.size(); ++i) password[i] = static_cast<char16_t>(data[1 + 2 * i] << 8 | data[2 + 2 * i]);
    request.password = password;
  }

  tessam::PackageBuilder builder([] { return std::int64_t{1526000000}; }, std::make_unique<tessam::RuntimeRandom>());
  const int result = builder.Build(request);

  const std::size_t length = size >= 258 ? std::size_t{tessam::LoadLittleEndian16(data + 256)} * 2000 + 92 : 0;
  const bool longEnough = size >= 258 && size - 256 >= length;
  if (result == 0) {
    Require(!fs::exists(package));
    Require(builder.result().failure == (longEnough ? tessam::BuildFailure::kNone : tessam::BuildFailure::kProjectTooShort));
    return 0;
  }
  Require(longEnough);
  const auto file = ReadAll(package);
  Require(file.size() == 64 + length);
  // Read here byte by byte, apart from the format's own decoding.
  const auto bigEndian32 = [&file](std::size_t at) {
    return std::uint32_t{file[at]} << 24 | std::uint32_t{file[at + 1]} << 16 | std::uint32_t{file[at + 2]} << 8 | file[at + 3];
  };
  Require(bigEndian32(8) == length);
  Require(bigEndian32(12) == tessam::Crc16(&file[64], length));
  Require(bigEndian32(60) == tessam::Crc16(file.data(), 60));
  const std::uint8_t seeds[4] = {file[20], file[21], file[22], file[23]};
  const std::uint8_t key = tessam::ScrambleKey(seeds);
  for (std::size_t i = 0; i < length; ++i) {
    std::uint8_t expected = data[256 + i];
    if (request.password && i >= 8 && i < 16) expected = static_cast<std::uint8_t>((*request.password)[i - 8]);
    Require((file[64 + i] ^ key) == expected);
  }
  return 0;
}
