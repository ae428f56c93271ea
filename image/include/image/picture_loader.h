#pragma once
// Loading any picture a user has (BMP, JPEG, PNG, of any size) into the 1024 x 768 frame.
//
// The format is told by the file's bytes, never by its name; a name whose extension claims one
// of the three formats while the bytes are another is refused (name_bytes_mismatch), since such a
// file is more likely a mistake than a picture. A 24-bit bitmap that fits the frame, and every
// bitmap the decoders here do not read, goes through read_bitmap exactly as before: same plane
// bytes, same outcome. Everything else is decoded (jpeg_decoder.h, png_decoder.h,
// bitmap_decoder.h), shrunk to fit when larger than the frame, and placed in the frame's top-left
// corner (frame_fit.h).
//
// Nothing here shows or holds a message: front ends word the outcomes.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>

#include "engine/plane.h"
#include "image/bitmap_reader.h"
#include "image/frame_fit.h"
#include "image/picture_format.h"
#include "image/picture_outcome.h"

namespace plate {

struct LoadedPicture {
  PictureOutcome outcome = PictureOutcome::cannot_open;
  // Set when read_bitmap handled the file: what it returned. `outcome` is then `loaded` for the
  // outcomes with a picture to run (picture_was_read) and `bitmap_refused` for the rest, whose
  // reason this says.
  std::optional<ReadOutcome> bitmap_outcome;
  // The format the bytes are, once known (also for most refusals: a truncated PNG is a PNG).
  std::optional<PictureFormat> format;
  // The picture's full size as shown and its size in the frame; the scale is mapping.scale().
  // Meaningful when `outcome` is `loaded`; 0 x 0 for a bitmap of height 0.
  FrameMapping mapping;
};

// Loads the file at `path` into `frame`. Checks with stat first and opens only regular files (a
// FIFO or a device is never opened, so a load cannot block). On any refusal other than
// read_bitmap's the frame is black; read_bitmap leaves it as it always has.
LoadedPicture load_picture(const std::filesystem::path& path, Plane& frame);

// The same over a file's bytes in memory (tests, fuzzing, pictures that did not come from a
// file); `name` is only checked against the bytes, and may be empty.
LoadedPicture load_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name,
                                 Plane& frame);

}  // namespace plate
