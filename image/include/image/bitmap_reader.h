#pragma once
// The 24-bit bitmap reader: an uncompressed 24-bit Windows bitmap of at most 1024 x 768 pixels
// into the loaded plane, placed in the frame's top-left corner (the rest of the frame black).

#include <cstddef>
#include <filesystem>
#include <span>

#include "engine/plane.h"
#include "image/regular_file.h"

namespace plate {

// What became of a read. The reader tells nobody: each front end words the outcome its own way
// (the desktop's messages are in present/outcome_messages.h). The checks run in the order listed,
// so a file failing several of them always gets the first.
enum class ReadOutcome {
  read,                // the whole picture is in the plane
  empty_picture,       // height 0: a black frame
  missing_file,        // no such file
  not_a_regular_file,  // a directory, FIFO or device: never opened, so never waited on
  cannot_open,         // exists, but could not be opened
  empty_file,          // 0 bytes
  headers_cut_short,   // the file ends inside the 54 bytes of the two headers
  wrong_signature,     // it does not start with "BM"
  os2_header,          // an info header shorter than 40 bytes (the OS/2 ones of 12 and 16)
  too_wide,            // wider than 1024
  too_tall,            // taller than 768, either way up
  not_24_bit,          // not 24 bits per pixel
  colour_masks,        // BI_BITFIELDS or BI_ALPHABITFIELDS: not compressed, but pixels laid out by masks
  compressed,          // any other compression but none
  zero_width,          // a width of 0
  negative_width,      // a width below 0
  bad_pixel_offset,    // the pixel data would start inside the headers or past the file's end
  truncated_rows,      // pixel data ends early; the rows read before the cut stay
};

// Whether there is a picture to run: a height of 0 gives a valid, empty (black) one.
constexpr bool picture_was_read(ReadOutcome outcome) {
  return outcome == ReadOutcome::read || outcome == ReadOutcome::empty_picture;
}

// Clears the plane to black, then reads the file into it. Bottom-up and top-down files land
// alike: the picture's top row on plane row 767, its left column on x = 0. On failure the plane
// holds a black frame, or for `truncated_rows` the rows read before the cut.
// The path is checked and opened by open_regular_file (regular_file.h).
ReadOutcome read_bitmap(const std::filesystem::path& path, Plane& loaded_plane);

// The same reader over a regular file already opened and checked (the picture loader's way in):
// every outcome from `empty_file` on, exactly as for a path.
ReadOutcome read_bitmap(RegularFile& file, Plane& loaded_plane);

// The same reader over a file's bytes already in memory (tests and fuzzing).
ReadOutcome read_bitmap_bytes(std::span<const std::byte> file_bytes, Plane& loaded_plane);

}  // namespace plate
