// Plan: stat() the path and refuse anything but a regular file without opening it; open it
// without blocking; fstat() the open descriptor and refuse it unless it is a regular file; read
// only from that descriptor, by offset (pread), so that no shared position is involved.
//
// The first stat() is kept although the fstat() alone would be safe: it keeps the promise that a
// FIFO, a device or a directory named as a picture is never opened at all, and it tells a missing
// file from a dangling link or a loop of links. The fstat() is what makes the read safe: whatever
// the path names by the time of the open, only a regular file is ever read.

#include "image/regular_file.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plate {

namespace {

#ifdef _WIN32
void close_descriptor(int descriptor) {
  _close(descriptor);
}

PathKind kind_of_open_error(int error) {
  switch (error) {
    case ENOENT:
      return PathKind::missing;
    case EACCES:
      return PathKind::no_permission;
    default:
      return PathKind::unknown_error;
  }
}
#else
void close_descriptor(int descriptor) {
  close(descriptor);
}

PathKind kind_of_failure(int error, const std::filesystem::path& path) {
  struct stat link {};
  switch (error) {
    case ENOENT:
      return lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) ? PathKind::dangling_symlink
                                                                      : PathKind::missing;
    case ENOTDIR:
      return PathKind::missing;
    case ELOOP:
      return PathKind::symlink_loop;
    case EACCES:
      return PathKind::no_permission;
    default:
      return PathKind::unknown_error;
  }
}

PathKind kind_of_mode(mode_t mode) {
  if (S_ISREG(mode)) return PathKind::regular;
  if (S_ISDIR(mode)) return PathKind::directory;
  if (S_ISFIFO(mode)) return PathKind::fifo;
  if (S_ISSOCK(mode)) return PathKind::socket;
  return PathKind::device;
}
#endif

OpenedFile refused(PathKind kind, int error = 0) {
  OpenedFile opened;
  opened.kind = kind;
  if (kind == PathKind::unknown_error && error != 0)
    opened.system_error = std::generic_category().message(error);
  return opened;
}

}  // namespace

RegularFile::RegularFile(RegularFile&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)),
      size_(other.size_),
      read_failed_(other.read_failed_) {}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
  if (this != &other) {
    if (descriptor_ >= 0) close_descriptor(descriptor_);
    descriptor_ = std::exchange(other.descriptor_, -1);
    size_ = other.size_;
    read_failed_ = other.read_failed_;
  }
  return *this;
}

RegularFile::~RegularFile() {
  if (descriptor_ >= 0) close_descriptor(descriptor_);
}

#ifdef _WIN32
std::size_t RegularFile::read_at(std::uint64_t offset, std::span<std::byte> destination) {
  if (descriptor_ < 0) return 0;
  if (_lseeki64(descriptor_, static_cast<__int64>(offset), SEEK_SET) < 0) {
    read_failed_ = true;
    return 0;
  }
  std::size_t done = 0;
  while (done < destination.size()) {
    const std::size_t want = std::min<std::size_t>(destination.size() - done, std::size_t{1} << 30);
    const int got = _read(descriptor_, destination.data() + done, static_cast<unsigned>(want));
    if (got < 0) {
      read_failed_ = true;
      break;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

OpenedFile open_regular_file(const std::filesystem::path& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (status.type() == std::filesystem::file_type::not_found) return refused(PathKind::missing);
  if (error) {
    OpenedFile opened = refused(PathKind::unknown_error);
    opened.system_error = error.message();
    return opened;
  }
  if (status.type() == std::filesystem::file_type::directory) return refused(PathKind::directory);
  if (status.type() != std::filesystem::file_type::regular) return refused(PathKind::device);
  const int descriptor = _wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
  if (descriptor < 0) return refused(kind_of_open_error(errno), errno);
  struct _stat64 opened_status {};
  if (_fstat64(descriptor, &opened_status) != 0 || (opened_status.st_mode & _S_IFMT) != _S_IFREG) {
    const bool is_directory = (opened_status.st_mode & _S_IFMT) == _S_IFDIR;
    _close(descriptor);
    return refused(is_directory ? PathKind::directory : PathKind::device);
  }
  OpenedFile opened;
  opened.kind = PathKind::regular;
  opened.file = RegularFile(descriptor, static_cast<std::uint64_t>(opened_status.st_size));
  return opened;
}
#else
std::size_t RegularFile::read_at(std::uint64_t offset, std::span<std::byte> destination) {
  if (descriptor_ < 0) return 0;
  std::size_t done = 0;
  while (done < destination.size()) {
    const std::size_t want = std::min<std::size_t>(destination.size() - done, std::size_t{1} << 30);
    const ssize_t got =
        pread(descriptor_, destination.data() + done, want, static_cast<off_t>(offset + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      read_failed_ = true;
      break;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

OpenedFile open_regular_file(const std::filesystem::path& path) {
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) {
    const int error = errno;
    return refused(kind_of_failure(error, path), error);
  }
  if (!S_ISREG(status.st_mode)) return refused(kind_of_mode(status.st_mode));
  // O_NONBLOCK: a FIFO put in the file's place since the stat() would otherwise block the open
  // until a writer came; O_NOCTTY: a terminal put there would not become the controlling one.
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) {
    const int error = errno;
    return refused(kind_of_failure(error, path), error);
  }
  struct stat opened_status {};
  if (fstat(descriptor, &opened_status) != 0) {
    const int error = errno;
    close(descriptor);
    return refused(PathKind::unknown_error, error);
  }
  if (!S_ISREG(opened_status.st_mode)) {
    close(descriptor);
    return refused(kind_of_mode(opened_status.st_mode));
  }
  OpenedFile opened;
  opened.kind = PathKind::regular;
  opened.file = RegularFile(descriptor, static_cast<std::uint64_t>(opened_status.st_size));
  return opened;
}
#endif

}  // namespace plate
