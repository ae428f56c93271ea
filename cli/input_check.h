#pragma once
// What plate-read finds out about a file before anything opens it, and the words for a file that
// cannot be used. Only stat() and access() look at the file here, so a FIFO, a device or a socket
// is refused before anything could block on it. What is wrong inside a picture or a pattern file
// is the reader's or the loader's typed outcome; this only words it.

#include <filesystem>
#include <optional>
#include <string>

#include "engine/template_load.h"
#include "image/bitmap_reader.h"
#include "image/picture_outcome.h"

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

struct InputFacts {
  FileKind kind = FileKind::unknown_error;
  std::string system_error;  // the system's words for an unknown_error
};

InputFacts inspect_input(const std::filesystem::path& path);

// A message about a file that cannot be used, in two parts.
struct FileProblem {
  std::string what;         // which check failed, in words a user can act on
  std::string window_text;  // the desktop window's Japanese message for the same file, or empty

  // "what (window text)": the part of "plate-read: NAME: ..." after the name.
  std::string line() const;
};

// A picture input: `facts` when it is no regular file (it is then never opened), otherwise the
// reader's outcome.
FileProblem picture_problem(const InputFacts& facts);
FileProblem picture_problem(ReadOutcome outcome);
// A picture the loader refused; `bitmap_outcome` is read_bitmap's outcome when it handled the file.
FileProblem picture_problem(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome);

// The pattern file, alike; `shown_name` is the name as messages show it, for the window's text.
FileProblem pattern_problem(const InputFacts& facts, const std::string& shown_name);
FileProblem pattern_problem(const TemplateLoadOutcome& outcome, const std::string& shown_name);

}  // namespace plate::cli
