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

#include <atomic>
#include <cstddef>
#include <span>

#include "image/byte_stream.h"
#include "image/decoded_picture.h"

namespace plate {

// Outcomes: loaded; too_large (over kMaxPicturePixels, from the header); rows_too_long (a row too
// long to decode in bounded memory, from the header); truncated (the data ends before the last
// row, or the file is too short for its picture, from the header); unsupported (ancillary chunks
// over libspng's limits); corrupt (bad header, chunk, checksum or compressed data, or more data
// than the picture can hold); cannot_open (a read failed); interrupted (`cancel` became true).
DecodeResult decode_png(std::span<const std::byte> png);

// The same from a stream at its start, reading nothing after what the picture needs.
DecodeResult decode_png(ByteStream& stream, const std::atomic<bool>* cancel = nullptr);

}  // namespace plate
