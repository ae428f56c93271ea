#pragma once
// The EXIF orientation of a JPEG (how a camera held on its side says to turn the stored pixels),
// and turning decoded pixels accordingly.

#include <cstddef>
#include <optional>
#include <span>

#include "image/decoded_picture.h"

namespace plate {

// The orientation tag (0x0112) of an EXIF segment's first image directory, 1 to 8:
//   1 as stored      2 mirrored left-right   3 turned 180°       4 mirrored top-bottom
//   5 transposed     6 turned 90° clockwise  7 transversed       8 turned 90° anticlockwise
// read from one APP1 segment's data (the bytes after its length field); nothing when the segment
// is no EXIF segment (it does not start with "Exif\0\0"), 1 when it is one without a valid tag.
// The JPEG decoder asks it of the APP1 segments before the first scan, in order, and takes the
// first answer (1 when there is none).
std::optional<int> exif_segment_orientation(std::span<const std::byte> app1_data);

// Turns the held pixels (and swaps the source size for 5 to 8) so that the picture stands as
// shown. The held pixels of `picture` are the stored pixels, its source size the stored full size.
void apply_orientation(DecodedPicture& picture, int orientation);

}  // namespace plate
