#pragma once
// Writes pictures as uncompressed 24-bit bottom-up bitmaps with the plain 40-byte info header, the
// form the bitmap reader reads: what the tools render and what plate-read's overlays show.

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "engine/plane.h"
#include "image/decoded_picture.h"

namespace plate {

// The whole file of a width x height picture taken from the frame's top-left corner, where the
// reader places a picture of that size (plane row 767 is the picture's top row).
// Requires 1 <= width <= 1024 and 1 <= height <= 768.
std::vector<std::uint8_t> encode_bitmap(const Plane& plane, int width, int height);

// The whole file of a decoded picture's held pixels (width x height, at least 1 x 1): a picture of
// any size, such as an overlay drawn at a photo's own size (every picture within kMaxPicturePixels
// fits the format's 32-bit sizes).
std::vector<std::uint8_t> encode_bitmap(const DecodedPicture& picture);

// Returns false when the file could not be written completely.
bool write_bitmap(const std::filesystem::path& path, const Plane& plane, int width, int height);

}  // namespace plate
