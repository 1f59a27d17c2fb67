#pragma once
// The builder's one pass over the program image: read it from the project
// file straight into the payload, plant the password, scramble, checksum.
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>

#include "core/build_failure.h"
#include "core/build_request.h"

namespace tessam {

class File;

struct LoadedImage {
  BuildFailure failure = BuildFailure::kNone;
  std::uint16_t checksum = 0;  // CRC-16/MODBUS of the scrambled image, once loaded
};

// Fills `image` with the bytes of `project` from `offset` on, puts the low 8
// bits of each password character at image offsets 8..15 (when there is a
// password), XORs every byte with `key` and checksums the result.
//
// Chunk by chunk: each is scrambled and checksummed while it is still in the
// cache the read left it in, and the stop request is looked at before each.
// `onChunk` (may be empty) is handed each finished chunk and the bytes loaded
// so far, e.g. to write it out at once; a failure it returns ends the load.
using LoadedChunkSink = std::function<BuildFailure(std::span<const std::uint8_t> chunk, std::uint64_t done)>;
LoadedImage LoadScrambledImage(File& project, std::uint64_t offset, std::span<std::uint8_t> image,
                               const std::optional<BuildRequest::Password>& password, std::uint8_t key,
                               const std::stop_token& stop, const LoadedChunkSink& onChunk);

}  // namespace tessam
