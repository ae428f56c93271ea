#pragma once
// What plate-read finds out about an input file before the bitmap reader opens it, and how it
// words a file that cannot be read. The file is looked at without ever blocking: a FIFO, a device
// or a socket is refused before anything is read from it. The reader stays the judge of whether a
// picture reads; what is found here only lets the message say which check failed.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "image/bitmap_reader.h"

namespace plate::cli {

enum class FileKind {
  regular,
  missing,           // nothing by that name
  dangling_symlink,  // a symbolic link to nothing
  symlink_loop,      // symbolic links that lead round in a circle
  no_permission,
  directory,
  fifo,
  device,
  socket,
  unknown_error,  // any other failure to look at it; `system_error` says which
};

// The fields of the two bitmap headers that decide whether a picture reads.
struct BitmapHeaderFields {
  bool bm_signature;
  std::uint32_t data_offset;
  std::uint32_t info_header_bytes;
  std::int32_t width;
  std::int32_t height;  // negative for rows stored top-down
  std::uint16_t bit_count;
  std::uint32_t compression;
};

struct InputFacts {
  FileKind kind = FileKind::unknown_error;
  std::string system_error;                  // the system's words for an unknown_error
  std::uint64_t size = 0;                    // bytes, for a regular file
  std::optional<BitmapHeaderFields> header;  // when the file holds both headers (54 bytes)
};

InputFacts inspect_input(const std::filesystem::path& path);

// Whether the reader may open the file: never a directory, FIFO, device or socket (a FIFO would
// block the open). A missing or forbidden file may be tried; the reader fails at once.
bool reader_may_open(const InputFacts& facts);

// One line saying why the file cannot be read, in words a user can act on: the first check the
// file fails, taken from `facts` and, where they say nothing, from the reader's `outcome`. The
// reader's own message, the one the desktop window shows, follows in parentheses when it is one
// of its Japanese texts.
std::string describe_unreadable(const InputFacts& facts, std::optional<ReadOutcome> outcome,
                                std::string_view window_message);

}  // namespace plate::cli
