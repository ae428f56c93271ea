#pragma once
// The 24-bit bitmap reader: an uncompressed 24-bit Windows bitmap of at most 1024 x 768 pixels
// into the loaded plane, placed in the frame's top-left corner (the rest of the frame black).

#include <cstddef>
#include <filesystem>
#include <span>

#include "engine/message_service.h"
#include "engine/plane.h"

namespace plate {

// What became of a read, for callers that act on it; the user has already been told through the
// message service (every outcome but `read` and `empty_picture` shows exactly one message).
enum class ReadOutcome {
  read,                // the whole picture is in the plane
  empty_picture,       // height 0: a black frame, no message
  cannot_open,         // I/O: the file could not be opened
  corrupt,             // not "BM", headers cut short, an info header shorter than 40 bytes (OS/2),
                       // a width of 0 or less, or a pixel data offset inside the headers or past the end
  too_big,             // wider than 1024, or taller than 768 either way up
  unsupported_format,  // not 24 bits per pixel, or compressed
  truncated,           // pixel data ends early; the rows read before the cut stay
};

// Clears the plane to black, then reads the file into it. Bottom-up and top-down files land
// alike: the picture's top row on plane row 767, its left column on x = 0. On failure the plane
// holds a black frame, or for `truncated` the rows read before the cut.
ReadOutcome read_bitmap(const std::filesystem::path& path, Plane& loaded_plane, MessageService& messages);

// The same reader over a file's bytes already in memory (tests and fuzzing).
ReadOutcome read_bitmap_bytes(std::span<const std::byte> file_bytes, Plane& loaded_plane,
                              MessageService& messages);

}  // namespace plate
