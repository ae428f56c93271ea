#pragma once
// Writing a picture as an 8-bit RGB PNG with libspng (already the PNG decoder): what plate-read's
// overlays of photos are written as, a fraction of a bitmap's size.

#include <cstdint>
#include <vector>

#include "image/decoded_picture.h"

namespace plate {

// The whole file of the held pixels (width x height), or nothing when there are none or the
// encoder fails.
std::vector<std::uint8_t> encode_png(const DecodedPicture& picture);

}  // namespace plate
