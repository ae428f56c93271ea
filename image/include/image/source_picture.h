#pragma once
// A picture at its own full size, as it is shown (the EXIF orientation applied): what plate-read
// draws its overlay on, and where any reading finer than the frame can take its pixels from.
//
// Loading into the frame (picture_loader.h) decodes a large JPEG straight at a fraction of its
// size, for speed; this decodes every picture whole, at the cost of a full decode and
// width * height * 3 bytes (36 MB for a 12-megapixel photo). The file is told apart and refused
// exactly as load_picture does; a 24-bit bitmap that fits the frame is read by read_bitmap, and
// its picture is the part of the frame it fills.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>

#include "image/bitmap_reader.h"
#include "image/decoded_picture.h"
#include "image/picture_format.h"
#include "image/picture_outcome.h"

namespace plate {

struct SourcePicture {
  PictureOutcome outcome = PictureOutcome::cannot_open;
  std::optional<ReadOutcome> bitmap_outcome;  // as LoadedPicture has it
  std::optional<PictureFormat> format;        // as LoadedPicture has it
  // When `outcome` is `loaded`: every pixel, so width == source_width and height == source_height
  // (0 x 0 for a bitmap of height 0).
  DecodedPicture picture;
};

SourcePicture load_source_picture(const std::filesystem::path& path);

// The same over a file's bytes in memory; `name` is only checked against the bytes, and may be empty.
SourcePicture load_source_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name);

}  // namespace plate
