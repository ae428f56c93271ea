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
  corrupt,             // not a bitmap, headers cut short, impossible sizes or data offset
  too_big,             // wider than 1024 or taller than 768
  unsupported_format,  // not 24 bits per pixel, or compressed
  truncated,           // pixel data ends early; the rows read before the cut stay
};

ReadOutcome read_bitmap(const std::filesystem::path& path, Plane& loaded_plane, MessageService& messages);

// The same reader over a file's bytes already in memory (tests and fuzzing).
ReadOutcome read_bitmap_bytes(std::span<const std::byte> file_bytes, Plane& loaded_plane,
                              MessageService& messages);

}  // namespace plate
