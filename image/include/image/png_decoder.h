#pragma once
// PNG decoding with libspng: every colour type (grey, grey with alpha, palette, RGB, RGBA), bit
// depths 1 to 16, interlaced or not; transparency (an alpha channel or a tRNS chunk) is blended
// on white, the way a viewer shows it on a white page.
//
// libspng rather than libpng: it reports failures as return codes, where libpng longjmps out of
// its callbacks (across C++ frames, skipping destructors); it reads from a memory buffer and
// converts every colour type and depth to RGBA in one call, which with libpng takes a chain of
// transformation calls; and it limits image and chunk sizes itself. Both are in Debian; libspng
// is the smaller and the one with a fuzzing history in OSS-Fuzz from its start.

#include <cstddef>
#include <span>

#include "image/decoded_picture.h"

namespace plate {

// Outcomes: loaded; too_large (over kMaxPicturePixels, from the header); truncated (the data ends
// before the last row); corrupt (bad header, chunk, checksum or compressed data).
DecodeResult decode_png(std::span<const std::byte> png);

}  // namespace plate
