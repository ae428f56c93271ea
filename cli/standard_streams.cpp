#include "standard_streams.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace plate::cli {

namespace {

bool stdout_was_closed = false;

#ifndef _WIN32
// Opens the null device on the lowest free descriptor, which is `descriptor` itself when every
// descriptor below it is open; the caller reopens them in order, so that holds.
void reopen_on_null_device(int descriptor) {
  const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  if (opened >= 0 && opened != descriptor) {
    dup2(opened, descriptor);
    close(opened);
  }
}
#endif

}  // namespace

void claim_standard_descriptors() {
#ifndef _WIN32
  for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
    if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    if (descriptor == STDOUT_FILENO) stdout_was_closed = true;
    reopen_on_null_device(descriptor);
  }
#endif
}

std::optional<std::string> write_results(std::string_view text) {
  if (stdout_was_closed) return "standard output is closed";
  errno = 0;
  const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
  if (std::fflush(stdout) == 0 && written) return std::nullopt;
  return errno != 0 ? std::strerror(errno) : "write error";
}

}  // namespace plate::cli
