#pragma once
// The one place where a picture file is checked and opened: only a regular file is read, and it
// is read from the very descriptor that was checked.
//
// The path is looked at with stat() first, so that a FIFO, a device, a socket or a directory is
// refused without being opened. A regular file is then opened (on POSIX systems with O_NONBLOCK
// and O_NOCTTY, so that a FIFO or a terminal swapped in between the look and the open cannot
// block the open) and the open descriptor is checked again with fstat(): only a descriptor that
// is a regular file is handed on, and every byte read afterwards comes from it. Nothing that is
// not a regular file is ever read from.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace plate {

// What a path is, as far as reading a picture from it goes.
enum class PathKind : std::uint8_t {
  regular,           // a regular file that could be opened for reading
  missing,           // nothing by that name (also a path through something that is no folder)
  dangling_symlink,  // a symbolic link to nothing
  symlink_loop,      // symbolic links that lead round in a circle
  no_permission,     // the file, or a folder on the way, may not be read
  directory,
  fifo,
  device,  // a character or block device
  socket,
  unknown_error,  // any other failure to look at it or open it; `system_error` says which
};

struct OpenedFile;

// A regular file opened for reading. Owns its descriptor; move-only.
class RegularFile {
 public:
  RegularFile() = default;
  RegularFile(RegularFile&& other) noexcept;
  RegularFile& operator=(RegularFile&& other) noexcept;
  RegularFile(const RegularFile&) = delete;
  RegularFile& operator=(const RegularFile&) = delete;
  ~RegularFile();

  bool is_open() const { return descriptor_ >= 0; }
  // The file's size when it was opened (from fstat on the descriptor).
  std::uint64_t size() const { return size_; }
  // Copies bytes from `offset` on into `destination` until it is full, the file ends or a read
  // fails; returns how many were copied. The descriptor's own position is not used.
  std::size_t read_at(std::uint64_t offset, std::span<std::byte> destination);
  // Whether a read failed (as opposed to ending at the end of the file).
  bool read_failed() const { return read_failed_; }

 private:
  friend OpenedFile open_regular_file(const std::filesystem::path& path);
  RegularFile(int descriptor, std::uint64_t size) : descriptor_(descriptor), size_(size) {}

  int descriptor_ = -1;
  std::uint64_t size_ = 0;
  bool read_failed_ = false;
};

struct OpenedFile {
  PathKind kind = PathKind::unknown_error;
  std::string system_error;  // the system's words for an unknown_error (empty otherwise)
  RegularFile file;          // open exactly when `kind` is `regular`
};

// Looks at the path, opens it when it is a regular file, and checks the open descriptor again.
OpenedFile open_regular_file(const std::filesystem::path& path);

}  // namespace plate
