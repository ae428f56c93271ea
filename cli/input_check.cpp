#include "input_check.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fstream>
#include <system_error>

#include "engine/plane.h"
#include "present/outcome_messages.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plate::cli {

namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kHeadersBytes = kFileHeaderBytes + 40;  // with the 40-byte BITMAPINFOHEADER
constexpr std::uint32_t kUncompressed = 0;

using HeaderBytes = std::array<unsigned char, kHeadersBytes>;

std::uint32_t u32_at(const HeaderBytes& b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}

BitmapHeaderFields decode(const HeaderBytes& b) {
  return {.bm_signature = b[0] == 'B' && b[1] == 'M',
          .data_offset = u32_at(b, 10),
          .info_header_bytes = u32_at(b, 14),
          .width = static_cast<std::int32_t>(u32_at(b, 18)),
          .height = static_cast<std::int32_t>(u32_at(b, 22)),
          .bit_count = static_cast<std::uint16_t>(b[28] | b[29] << 8),
          .compression = u32_at(b, 30)};
}

#ifndef _WIN32
FileKind kind_of_failure(int error, const std::filesystem::path& path) {
  struct stat link;
  switch (error) {
    case ENOENT:
      return lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) ? FileKind::dangling_symlink
                                                                      : FileKind::missing;
    case ENOTDIR:
      return FileKind::missing;
    case ELOOP:
      return FileKind::symlink_loop;
    case EACCES:
      return FileKind::no_permission;
    default:
      return FileKind::unknown_error;
  }
}

FileKind kind_of_mode(mode_t mode) {
  if (S_ISREG(mode)) return FileKind::regular;
  if (S_ISDIR(mode)) return FileKind::directory;
  if (S_ISFIFO(mode)) return FileKind::fifo;
  if (S_ISSOCK(mode)) return FileKind::socket;
  return FileKind::device;
}

InputFacts failed(int error, const std::filesystem::path& path) {
  return {kind_of_failure(error, path), std::generic_category().message(error), 0, std::nullopt};
}

// stat() first, so that nothing but a regular file is opened; the open does not block even if the
// name was swapped for a FIFO in between, and fstat() then checks what was opened.
InputFacts inspect(const std::filesystem::path& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return failed(errno, path);
  if (!S_ISREG(status.st_mode)) return {kind_of_mode(status.st_mode), {}, 0, std::nullopt};
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return failed(errno, path);
  InputFacts facts;
  if (fstat(descriptor, &status) != 0) {
    facts = failed(errno, path);
  } else if (facts.kind = kind_of_mode(status.st_mode); facts.kind == FileKind::regular) {
    facts.size = static_cast<std::uint64_t>(status.st_size);
    HeaderBytes bytes;
    if (pread(descriptor, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size()))
      facts.header = decode(bytes);
  }
  close(descriptor);
  return facts;
}
#else
InputFacts inspect(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  InputFacts facts;
  switch (status.type()) {
    case std::filesystem::file_type::regular:
      break;
    case std::filesystem::file_type::not_found:
      return {FileKind::missing, {}, 0, std::nullopt};
    case std::filesystem::file_type::directory:
      return {FileKind::directory, {}, 0, std::nullopt};
    case std::filesystem::file_type::none:
      return {FileKind::unknown_error, error.message(), 0, std::nullopt};
    default:
      return {FileKind::device, {}, 0, std::nullopt};
  }
  facts.kind = FileKind::regular;
  facts.size = std::filesystem::file_size(path, error);
  std::ifstream file(path, std::ios::binary);
  HeaderBytes bytes;
  if (file.read(reinterpret_cast<char*>(bytes.data()), bytes.size())) facts.header = decode(bytes);
  return facts;
}
#endif

std::string_view compression_name(std::uint32_t compression) {
  constexpr std::string_view kNames[] = {"BI_RGB",  "BI_RLE8", "BI_RLE4",          "BI_BITFIELDS",
                                         "BI_JPEG", "BI_PNG",  "BI_ALPHABITFIELDS"};
  return compression < std::size(kNames) ? kNames[compression] : std::string_view{};
}

std::string n(std::int64_t value) {
  return std::to_string(value);
}

std::string kind_problem(const InputFacts& facts) {
  switch (facts.kind) {
    case FileKind::regular:
      return {};
    case FileKind::missing:
      return "no such file";
    case FileKind::dangling_symlink:
      return "the symbolic link points to a file that does not exist";
    case FileKind::symlink_loop:
      return "the symbolic links lead round in a loop";
    case FileKind::no_permission:
      return "permission denied: the file may not be read";
    case FileKind::directory:
      return "a directory, not a picture file";
    case FileKind::fifo:
      return "a FIFO (named pipe), not a picture file; only regular files are read";
    case FileKind::device:
      return "a device, not a picture file; only regular files are read";
    case FileKind::socket:
      return "a socket, not a picture file; only regular files are read";
    case FileKind::unknown_error:
      return "cannot look at the file: " + facts.system_error;
  }
  return {};
}

// The checks of a regular file in the order the reader makes them, so that the first one named is
// the one the reader failed on.
std::string header_problem(const InputFacts& facts) {
  if (facts.size == 0) return "the file is empty";
  if (!facts.header)
    return "the file is too short to be a BMP picture: " + n(facts.size) + " bytes, the headers alone take " +
           n(kHeadersBytes);
  const BitmapHeaderFields& h = *facts.header;
  if (!h.bm_signature) return "not a BMP picture: the file does not start with \"BM\"";
  if (h.info_header_bytes == 12 || h.info_header_bytes == 16)
    return "an OS/2 bitmap (" + n(h.info_header_bytes) +
           "-byte header), which is not read; save it as a Windows BMP";
  if (h.info_header_bytes < 40)
    return "the bitmap info header is " + n(h.info_header_bytes) + " bytes, shorter than the 40 it needs";
  if (h.width > kFrameWidth)
    return "the picture is " + n(h.width) + " pixels wide; at most " + n(kFrameWidth) + " are read";
  const std::int64_t rows = h.height < 0 ? -std::int64_t{h.height} : h.height;
  if (rows > kFrameHeight)
    return "the picture is " + n(rows) + " pixels high; at most " + n(kFrameHeight) + " are read";
  if (h.bit_count != 24)
    return "the picture has " + n(h.bit_count) + " bits per pixel; only 24-bit pictures are read";
  if (h.compression != kUncompressed) {
    const std::string_view name = compression_name(h.compression);
    return "the picture is stored compressed (" +
           (name.empty() ? "compression " + n(h.compression) : std::string(name)) +
           "); only uncompressed 24-bit pictures are read";
  }
  if (h.width == 0 && h.height == 0) return "the picture is 0 x 0 pixels";
  if (h.width == 0) return "the picture is 0 pixels wide";
  if (h.width < 0) return "the width is negative: " + n(h.width);
  const std::uint64_t headers_end = kFileHeaderBytes + std::uint64_t{h.info_header_bytes};
  if (h.data_offset < headers_end)
    return "the pixel data offset " + n(h.data_offset) + " points into the headers, which end at byte " +
           n(static_cast<std::int64_t>(headers_end));
  if (h.data_offset > facts.size)
    return "the pixel data offset " + n(h.data_offset) + " lies past the end of the " + n(facts.size) +
           "-byte file";
  const std::uint64_t stride = (std::uint64_t(h.width) * 3 + 3) / 4 * 4;
  const std::uint64_t needed = h.data_offset + stride * static_cast<std::uint64_t>(rows);
  if (facts.size < needed)
    return "the file is cut short: a " + n(h.width) + " x " + n(rows) + " picture needs " +
           n(static_cast<std::int64_t>(needed)) + " bytes, the file has " + n(facts.size);
  return {};
}

}  // namespace

InputFacts inspect_input(const std::filesystem::path& path) {
  return inspect(path);
}

bool reader_may_open(const InputFacts& facts) {
  switch (facts.kind) {
    case FileKind::directory:
    case FileKind::fifo:
    case FileKind::device:
    case FileKind::socket:
      return false;
    default:
      return true;
  }
}

std::string describe_unreadable(const InputFacts& facts, std::optional<ReadOutcome> outcome,
                                std::string_view window_message) {
  std::string problem = facts.kind != FileKind::regular ? kind_problem(facts) : header_problem(facts);
  if (problem.empty() && outcome) problem = describe(*outcome);
  if (problem.empty()) problem = "cannot be read";
  // The window's Japanese texts are kept for people who compare the two; its one English text,
  // "Too big width" (said of a height too), would only contradict the words above.
  const bool japanese =
      std::ranges::any_of(window_message, [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  if (japanese) problem.append(" (").append(window_message).append(")");
  return problem;
}

}  // namespace plate::cli
