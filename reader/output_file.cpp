#include "reader/output_file.h"

#include <atomic>
#include <cerrno>
#include <fstream>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace plate::reader {

namespace {

std::atomic<unsigned> temporary_count{0};

// A hidden name beside the target, unique to this process and call.
std::filesystem::path temporary_beside(const std::filesystem::path& path) {
#ifdef _WIN32
  const unsigned long process = GetCurrentProcessId();
#else
  const long process = getpid();
#endif
  std::string name(".");
  name += path.filename().string();
  name += ".tmp-";
  name += std::to_string(process);
  name += '-';
  name += std::to_string(temporary_count.fetch_add(1));
  return std::filesystem::path(path).replace_filename(name);
}

// Creates `temporary`, which must not exist, and writes `bytes` into it. A file left half written
// is removed; one that could not be created is not touched (it may be someone else's).
#ifndef _WIN32
std::string reason(int error) {
  return std::generic_category().message(error);
}

std::optional<std::string> write_new_file(const std::filesystem::path& temporary,
                                          std::span<const std::uint8_t> bytes) {
  // 0666 before the umask, the permissions any new file of the user's gets.
  const int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  if (descriptor < 0) return reason(errno);
  while (!bytes.empty()) {
    const ssize_t written = write(descriptor, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      const int error = written < 0 ? errno : EIO;
      close(descriptor);
      unlink(temporary.c_str());
      return reason(error);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  if (close(descriptor) != 0) {
    const int error = errno;
    unlink(temporary.c_str());
    return reason(error);
  }
  return std::nullopt;
}
#else
std::optional<std::string> write_new_file(const std::filesystem::path& temporary,
                                          std::span<const std::uint8_t> bytes) {
  std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
  if (!file) return std::string("cannot create the file");
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (file.flush()) return std::nullopt;
  file.close();
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  return std::string("write error");
}
#endif

}  // namespace

std::optional<std::string> write_file_atomically(const std::filesystem::path& path,
                                                 std::span<const std::uint8_t> bytes) {
  const std::filesystem::path temporary = temporary_beside(path);
  if (std::optional<std::string> problem = write_new_file(temporary, bytes)) return problem;
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (!error) return std::nullopt;
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  return error.message();
}

}  // namespace plate::reader
