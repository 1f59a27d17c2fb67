#pragma once
// Where extract puts an image, so that an old image survives every failure:
// the new one is written into a new file beside it, in the same folder, and
// takes the old one's place only once it is complete and on the device. One
// implementation per platform.
#include <optional>
#include <string>

#include "core/file.h"
#include "core/output_file.h"

namespace ppwtool {

struct ImagePlace {
  // The file the image path leads to. Through a symbolic link that is its
  // target: the link stays a link, and what it points to becomes the image.
  std::u16string path;
  // The folder that holds it, as a prefix for a name beside it ("" for the
  // current folder).
  std::u16string folder;
};

// None, with the cause, when the image path cannot lead to a file this user
// may replace.
std::optional<ImagePlace> FindImagePlace(const std::u16string& imagePath, tessam::FileError& why);

// Puts the complete, flushed file `image` (written at `written`, beside the
// place) in place of whatever file is there, durably, and keeps it. On
// failure, with the cause, the old file is as it was and `image` is still the
// caller's to discard, or already gone.
bool PutInPlace(tessam::OutputFile& image, const std::u16string& written, const ImagePlace& place,
                tessam::FileError& why);

}  // namespace ppwtool
