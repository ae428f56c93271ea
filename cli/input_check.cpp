#include "input_check.h"

#include <cerrno>
#include <system_error>

#include "present/outcome_messages.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plate::cli {

namespace {

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
  return {kind_of_failure(error, path), std::generic_category().message(error)};
}
#endif

// The words for a file that is not there or not a regular file; empty for a regular one.
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
      return "a directory; only regular files are read";
    case FileKind::fifo:
      return "a FIFO (named pipe); only regular files are read";
    case FileKind::device:
      return "a device; only regular files are read";
    case FileKind::socket:
      return "a socket; only regular files are read";
    case FileKind::unknown_error:
      return "cannot look at the file: " + facts.system_error;
  }
  return {};
}

// What the reader and the loader say of such a file, for the window's text.
ReadOutcome read_outcome_of(FileKind kind) {
  switch (kind) {
    case FileKind::missing:
    case FileKind::dangling_symlink:
      return ReadOutcome::missing_file;
    case FileKind::directory:
    case FileKind::fifo:
    case FileKind::device:
    case FileKind::socket:
      return ReadOutcome::not_a_regular_file;
    default:
      return ReadOutcome::cannot_open;
  }
}

TemplateLoadStatus load_status_of(FileKind kind) {
  switch (read_outcome_of(kind)) {
    case ReadOutcome::missing_file:
      return TemplateLoadStatus::missing;
    case ReadOutcome::not_a_regular_file:
      return TemplateLoadStatus::not_a_regular_file;
    default:
      return TemplateLoadStatus::unreadable;
  }
}

}  // namespace

#ifndef _WIN32
// stat() and access() only: nothing is opened, so nothing can block.
InputFacts inspect_input(const std::filesystem::path& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return failed(errno, path);
  if (!S_ISREG(status.st_mode)) return {kind_of_mode(status.st_mode), {}};
  if (access(path.c_str(), R_OK) != 0) return failed(errno, path);
  return {FileKind::regular, {}};
}
#else
InputFacts inspect_input(const std::filesystem::path& path) {
  std::error_code error;
  switch (std::filesystem::status(path, error).type()) {
    case std::filesystem::file_type::regular:
      return {FileKind::regular, {}};
    case std::filesystem::file_type::not_found:
      return {FileKind::missing, {}};
    case std::filesystem::file_type::directory:
      return {FileKind::directory, {}};
    case std::filesystem::file_type::none:
      return {FileKind::unknown_error, error.message()};
    default:
      return {FileKind::device, {}};
  }
}
#endif

std::string FileProblem::line() const {
  return window_text.empty() ? what : what + " (" + window_text + ")";
}

FileProblem picture_problem(const InputFacts& facts) {
  return {kind_problem(facts), std::string(bitmap_message(read_outcome_of(facts.kind)))};
}

FileProblem picture_problem(ReadOutcome outcome) {
  // The window says "Too big width" of a picture too tall as well, and it is no Japanese text to
  // compare: the words already say which side is too big.
  const bool too_big = outcome == ReadOutcome::too_wide || outcome == ReadOutcome::too_tall;
  return {std::string(describe(outcome)), too_big ? std::string() : std::string(bitmap_message(outcome))};
}

FileProblem picture_problem(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome) {
  if (bitmap_outcome) return picture_problem(*bitmap_outcome);
  return {std::string(describe(outcome, bitmap_outcome)),
          std::string(picture_message(outcome, bitmap_outcome))};
}

FileProblem pattern_problem(const InputFacts& facts, const std::string& shown_name) {
  return {kind_problem(facts), template_message({load_status_of(facts.kind), 0, -1}, shown_name)};
}

FileProblem pattern_problem(const TemplateLoadOutcome& outcome, const std::string& shown_name) {
  return {describe(outcome), template_message(outcome, shown_name)};
}

}  // namespace plate::cli
