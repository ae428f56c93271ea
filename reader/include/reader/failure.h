#pragma once
// Why a picture or a pattern file could not be used: one kind for every front end to act on, with
// the words for it. What the path was (image/regular_file.h checks it and opens nothing but a
// regular file) and what is wrong inside a picture or a pattern file (the decoders' or the
// loader's typed outcome) become a Failure here, worded here and in present/outcome_messages.h.

#include <optional>
#include <string>

#include "engine/template_load.h"
#include "image/bitmap_reader.h"
#include "image/picture_outcome.h"
#include "image/regular_file.h"

namespace plate::reader {

enum class FailureKind {
  missing,           // nothing by that name (or a symbolic link to nothing)
  not_regular_file,  // a directory, FIFO, device or socket: never opened
  no_permission,
  cannot_read,  // the system would not give the file for another reason
  empty_file,
  not_a_picture,      // the bytes are no picture format read here, or not what the name says
  unsupported,        // a known format in a variant not read
  damaged,            // malformed data
  cut_short,          // the data ends before the picture does
  too_large,          // more pixels than are read
  unusable_patterns,  // a pattern file of the wrong size or with a record that is no template
  interrupted,        // the caller stopped the read (ReadSettings::cancel)
};

struct Failure {
  FailureKind kind = FailureKind::cannot_read;
  std::string what;         // which check failed, in words a user can act on
  std::string window_text;  // the desktop window's Japanese message for the same file, or empty
  int system_error = 0;     // the errno value for a failure the system reported, else 0

  // "what (window text)": the part of "plate-read: NAME: ..." after the name.
  std::string line() const;
  // Whether the system would not give the file (a caller may raise an OSError for it), rather than
  // the file being no picture or pattern file that is read.
  bool from_system() const { return system_error != 0; }
};

// A path refused before anything was read from it: missing, a link to nothing or in a loop, no
// permission, a directory, FIFO, device or socket; `system_error` is the system's words for any
// other failure.
Failure path_failure(PathKind kind, const std::string& system_error);

// A picture the loader refused; `bitmap_outcome` is read_bitmap's outcome when it handled the file.
Failure picture_failure(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome);

// A pattern file whose path was refused (path_failure), for the window's text; `shown_name` is the
// name as messages show it.
Failure pattern_failure(const Failure& file_failure, const std::string& shown_name);
// A pattern file the loader did not load whole.
Failure pattern_failure(const TemplateLoadOutcome& outcome, const std::string& shown_name);

}  // namespace plate::reader
