// Uncached reads on Windows: a handle opened with FILE_FLAG_NO_BUFFERING, which
// reads whole sectors into sector-aligned memory.
#include <windows.h>

#include <algorithm>

#include "core/device_reader.h"

namespace tessam {
namespace {

// A multiple of every sector size in use; larger ones are asked for below.
constexpr std::size_t kLeastAlignment = 4096;

HANDLE Native(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

const wchar_t* Wide(const std::u16string& path) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  return reinterpret_cast<const wchar_t*>(path.c_str());
}

// The sector size of the volume `path` lies on, at least kLeastAlignment.
std::size_t SectorAlignment(const std::u16string& path) {
  wchar_t root[MAX_PATH + 1];
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!::GetVolumePathNameW(Wide(path), root, MAX_PATH + 1) ||
      !::GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    return kLeastAlignment;
  }
  return std::max<std::size_t>(kLeastAlignment, bytesPerSector);
}

}  // namespace

std::optional<DeviceReader> DeviceReader::Open(File& held, const std::u16string& path) {
  const auto identity = held.Identity();
  if (!identity || path.empty()) return std::nullopt;
  // Share mode 0 refuses every second handle, this program's own included. So
  // the file is closed and at once opened again, exclusively and unbuffered,
  // with the access the writer had; its identity tells whether it is still
  // the file just written.
  held.Close();
  const HANDLE handle = ::CreateFileW(Wide(path), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_NO_BUFFERING, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  auto reopened = File::Adopt(reinterpret_cast<std::intptr_t>(handle), held.created());
  if (!reopened || reopened->Identity() != identity) return std::nullopt;  // not ours: let go of it
  held = std::move(*reopened);
  return DeviceReader(held.native(), false, SectorAlignment(path));
}

DeviceReader::~DeviceReader() {
  if (handle_ != kNone && owned_) ::CloseHandle(Native(handle_));
}

std::optional<std::size_t> DeviceReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  // The caller's chunks are far below a DWORD's worth.
  if (!::ReadFile(Native(handle_), into.data(), static_cast<DWORD>(into.size()), &got, &at)) {
    if (::GetLastError() == ERROR_HANDLE_EOF) return 0;
    return std::nullopt;
  }
  return got;
}

}  // namespace tessam
