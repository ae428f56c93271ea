#pragma once
// The bitmaps the 24-bit reader refuses only for their depth or size: 8-bit palette and 32-bit
// files (plain, or with the usual bit-field masks) of any size, and 24-bit files larger than the
// frame. Every other bitmap, a 24-bit one that fits the frame above all, stays with read_bitmap.

#include <cstddef>
#include <span>

#include "image/byte_stream.h"
#include "image/decoded_picture.h"

namespace plate {

// Whether decode_bitmap reads the file whose first bytes these are (at least the 54 bytes of the
// two headers; fewer give false). False means read_bitmap is the one to read it, with today's
// results and messages.
bool is_read_by_bitmap_decoder(std::span<const std::byte> first_bytes);

// Outcomes: loaded; too_large (over kMaxPicturePixels); truncated (the pixel rows end early);
// corrupt (a colour table or pixel data offset outside the file); unsupported (a file that
// is_read_by_bitmap_decoder rejects).
DecodeResult decode_bitmap(std::span<const std::byte> bmp);

// The same from a stream at its start, reading nothing after the last pixel row.
DecodeResult decode_bitmap(ByteStream& stream);

}  // namespace plate
