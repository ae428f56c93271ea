#pragma once
// Loading any picture a user has into the 1024 x 768 frame: the one way in for every front end.
//
// Where the decoders are built (every platform but Windows), BMP, JPEG and PNG of any size: the
// format is told by the file's bytes, never by its name; a name whose extension claims one of the
// three formats while the bytes are another is refused (name_bytes_mismatch), since such a file
// is more likely a mistake than a picture. A 24-bit bitmap that fits the frame, and every bitmap
// the decoders here do not read, goes through read_bitmap exactly as before: same plane bytes,
// same outcome. Everything else is decoded (jpeg_decoder.h, png_decoder.h, bitmap_decoder.h),
// shrunk to fit when larger than the frame, and placed in the frame's top-left corner
// (frame_fit.h).
//
// Where they are not (Windows, PLATE_BUILD_PICTURE_DECODING off), every file goes to read_bitmap,
// the 24-bit reader: `outcome` is `loaded` or `bitmap_refused`, and `bitmap_outcome` says what
// read_bitmap said, as it always has there. picture_decoders_built() tells the two apart.
//
// A file is checked and opened once (regular_file.h) and read only from that descriptor; a
// decoder reads only what the picture needs, so data after the picture is never read, and no
// file is held in memory whole.
//
// Nothing here shows or holds a message: front ends word the outcomes.

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "engine/plane.h"
#include "image/bitmap_reader.h"
#include "image/decoded_picture.h"
#include "image/frame_fit.h"
#include "image/picture_format.h"
#include "image/picture_outcome.h"
#include "image/regular_file.h"

namespace plate {

struct LoadOptions {
  // Also hand back the picture at its full size (LoadedPicture::source), as load_source_picture
  // gives it, for an overlay drawn on the original: the file is opened and checked once and a
  // PNG or bitmap is decoded once, the frame fitted from the full-size picture. A JPEG that the
  // frame alone would take decoded at 1/2, 1/4 or 1/8 of its size is decoded at that size for the
  // frame as well (from the same open file), since libjpeg's scaled decode and a shrunk full
  // decode differ in their last bits: the frame is then exactly what a load without this option
  // gives.
  bool keep_source = false;
  // Whether a refused picture leaves the frame black, as a window that shows the frame needs. A
  // reader that runs nothing on a refused picture saves clearing 2.4 MB a file: a list of a million
  // missing names took minutes.
  bool black_frame_on_refusal = true;
  // When set, a decode stops (`interrupted`) soon after this becomes true: the JPEG and PNG decoders
  // look at it between rows and between scans, so a 100-megapixel picture stops within milliseconds
  // and a caller that waits (for Ctrl+C, say) need not wait seconds. Read with relaxed order: it
  // only says to stop, and guards no other data.
  const std::atomic<bool>* cancel = nullptr;
};

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
  // What the path was when it was refused before being opened (`missing`, `not_regular_file`,
  // `cannot_open`): which of a missing file, a dangling link, a directory, a FIFO... it was, and
  // the system's words for an unknown error. `regular` otherwise.
  PathKind path_kind = PathKind::regular;
  std::string system_error{};
  // With LoadOptions::keep_source, when `outcome` is `loaded`: every pixel, width == source_width
  // and height == source_height (0 x 0 for a bitmap of height 0). Empty otherwise.
  DecodedPicture source{};
};

// Whether this build decodes JPEG, PNG and bitmaps other than 24-bit ones that fit the frame.
bool picture_decoders_built();

// Loads the file at `path` into `frame`. On any refusal other than read_bitmap's the frame is
// black; read_bitmap leaves it as it always has.
LoadedPicture load_picture(const std::filesystem::path& path, Plane& frame, const LoadOptions& options = {});

// The same over a file's bytes in memory (tests, fuzzing, pictures that did not come from a
// file); `name` is only checked against the bytes, and may be empty.
LoadedPicture load_picture_bytes(std::span<const std::byte> bytes, const std::filesystem::path& name,
                                 Plane& frame, const LoadOptions& options = {});

}  // namespace plate
