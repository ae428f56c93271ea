#pragma once
// A picture as the decoders hand it to the frame fitting: 8-bit blue, green, red, rows top first.

#include <atomic>
#include <cstdint>
#include <vector>

#include "image/picture_outcome.h"

namespace plate {

// Pictures of more pixels than this (100 megapixels, a 12247 x 8165 photo) are refused from their
// header, before anything of their size is allocated: a header claiming 65535 x 65535 would
// otherwise ask for 12 GB.
inline constexpr std::uint64_t kMaxPicturePixels = 100'000'000;

constexpr bool within_pixel_limit(std::uint64_t width, std::uint64_t height) {
  return width > 0 && height > 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels / width;
}

struct DecodedPicture {
  // The picture as it is shown (the EXIF orientation applied), at its full size.
  int source_width = 0;
  int source_height = 0;
  // The pixels held, which a JPEG decoded straight at 1/2, 1/4 or 1/8 of its size has fewer of;
  // never fewer than the picture's fitted size in the frame.
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;  // width * 3 bytes a row, no padding, the top row first
};

// Whether the caller of a decode has asked it to stop (LoadOptions::cancel).
inline bool cancelled(const std::atomic<bool>* cancel) {
  return cancel != nullptr && cancel->load(std::memory_order_relaxed);
}

struct DecodeResult {
  PictureOutcome outcome = PictureOutcome::corrupt;
  DecodedPicture picture;  // filled only when outcome is `loaded`
};

}  // namespace plate
