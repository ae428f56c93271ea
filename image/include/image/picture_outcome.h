#pragma once
// What became of loading or decoding a picture: one value per way it can go, for the front ends to
// word (a message box, a line on stderr, a Python exception). Nothing here holds message text.

#include <cstdint>

namespace plate {

enum class PictureOutcome : std::uint8_t {
  loaded,               // the picture is in the frame (also a 24-bit bitmap read whole, or of height 0)
  missing,              // no file at the path
  not_regular_file,     // a folder, FIFO, device or socket: never opened, so a FIFO cannot block
  cannot_open,          // a regular file that could not be opened or read
  empty_file,           // 0 bytes
  name_bytes_mismatch,  // the name's extension says one of BMP, JPEG, PNG and the bytes another
  unrecognised_bytes,   // the bytes start as none of BMP, JPEG, PNG
  too_large,            // more than kMaxPicturePixels pixels: refused from the header, before decoding
  truncated,            // the JPEG or PNG data ends early, or a decoded bitmap's pixel rows do
  corrupt,              // the decoder found malformed data (headers, compressed data, checksums), or more
                        // data than the picture can hold
  cmyk_jpeg,            // a CMYK or YCCK JPEG (print files): refused, not shown in wrong colours
  unsupported,          // a known format in a variant not read (e.g. a compressed 32-bit bitmap mask, a
                        // 12-bit JPEG, PNG text or colour-profile chunks over the decoder's limits)
  bitmap_refused,       // the 24-bit bitmap reader refused the file; its ReadOutcome says why
  too_many_scans,       // a JPEG of more scans than the decoder's limit: refused, not decoded at length
  rows_too_long,        // a PNG whose rows are too long to decode in bounded memory: refused from the header
  interrupted,          // the caller stopped the decode before its end (LoadOptions::cancel)
};

}  // namespace plate
