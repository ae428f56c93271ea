#include "reader/failure.h"

#include <cerrno>

#include "present/outcome_messages.h"

namespace plate::reader {

namespace {

// The window's text for a file that stat() refused: what the bitmap reader says of such a file.
Failure file_failure(FailureKind kind, std::string what, ReadOutcome as_read, int system_error) {
  return {kind, std::move(what), std::string(bitmap_message(as_read)), system_error};
}

Failure missing(std::string what) {
  return file_failure(FailureKind::missing, std::move(what), ReadOutcome::missing_file, ENOENT);
}

// Only regular files are read; a Python caller gets IsADirectoryError for a folder, and a
// ValueError for the rest, which are there but are no picture.
Failure not_regular(std::string_view what_it_is, int system_error = 0) {
  return file_failure(FailureKind::not_regular_file,
                      std::string(what_it_is) + "; only regular files are read",
                      ReadOutcome::not_a_regular_file, system_error);
}

Failure system_refusal(int error, std::string what) {
  return file_failure(error == EACCES ? FailureKind::no_permission : FailureKind::cannot_read,
                      std::move(what), ReadOutcome::cannot_open, error == 0 ? EIO : error);
}

FailureKind kind_of(ReadOutcome outcome) {
  switch (outcome) {
    case ReadOutcome::missing_file:
      return FailureKind::missing;
    case ReadOutcome::not_a_regular_file:
      return FailureKind::not_regular_file;
    case ReadOutcome::empty_file:
      return FailureKind::empty_file;
    case ReadOutcome::headers_cut_short:
    case ReadOutcome::truncated_rows:
      return FailureKind::cut_short;
    case ReadOutcome::wrong_signature:
      return FailureKind::not_a_picture;
    case ReadOutcome::os2_header:
    case ReadOutcome::not_24_bit:
    case ReadOutcome::colour_masks:
    case ReadOutcome::compressed:
      return FailureKind::unsupported;
    case ReadOutcome::too_wide:
    case ReadOutcome::too_tall:
      return FailureKind::too_large;
    case ReadOutcome::zero_width:
    case ReadOutcome::negative_width:
    case ReadOutcome::bad_pixel_offset:
      return FailureKind::damaged;
    default:
      return FailureKind::cannot_read;
  }
}

FailureKind kind_of(PictureOutcome outcome) {
  switch (outcome) {
    case PictureOutcome::missing:
      return FailureKind::missing;
    case PictureOutcome::not_regular_file:
      return FailureKind::not_regular_file;
    case PictureOutcome::empty_file:
      return FailureKind::empty_file;
    case PictureOutcome::name_bytes_mismatch:
    case PictureOutcome::unrecognised_bytes:
      return FailureKind::not_a_picture;
    case PictureOutcome::too_large:
      return FailureKind::too_large;
    case PictureOutcome::truncated:
      return FailureKind::cut_short;
    case PictureOutcome::cmyk_jpeg:
    case PictureOutcome::unsupported:
      return FailureKind::unsupported;
    case PictureOutcome::too_many_scans:
    case PictureOutcome::rows_too_long:
      return FailureKind::too_large;
    case PictureOutcome::corrupt:
      return FailureKind::damaged;
    case PictureOutcome::interrupted:
      return FailureKind::interrupted;
    default:
      return FailureKind::cannot_read;
  }
}

int system_error_of(FailureKind kind) {
  if (kind == FailureKind::missing) return ENOENT;
  if (kind == FailureKind::interrupted) return EINTR;
  return kind == FailureKind::cannot_read ? EIO : 0;
}

}  // namespace

Failure path_failure(PathKind kind, const std::string& system_error) {
  switch (kind) {
    case PathKind::missing:
      return missing("no such file");
    case PathKind::dangling_symlink:
      return missing("the symbolic link points to a file that does not exist");
    case PathKind::symlink_loop:
      return system_refusal(ELOOP, "the symbolic links lead round in a loop");
    case PathKind::no_permission:
      return system_refusal(EACCES, "permission denied: the file may not be read");
    case PathKind::directory:
      return not_regular("a directory", EISDIR);
    case PathKind::fifo:
      return not_regular("a FIFO (named pipe)");
    case PathKind::device:
      return not_regular("a device");
    case PathKind::socket:
      return not_regular("a socket");
    case PathKind::regular:
    case PathKind::unknown_error:
      break;
  }
  return system_refusal(EIO, "cannot look at the file: " + system_error);
}

std::string Failure::line() const {
  return window_text.empty() ? what : what + " (" + window_text + ")";
}

Failure picture_failure(PictureOutcome outcome, std::optional<ReadOutcome> bitmap_outcome) {
  if (bitmap_outcome) {
    // The window says "Too big width" of a picture too tall as well, and it is no Japanese text to
    // compare: the words already say which side is too big.
    const ReadOutcome read = *bitmap_outcome;
    const bool too_big = read == ReadOutcome::too_wide || read == ReadOutcome::too_tall;
    const FailureKind kind = kind_of(read);
    return {kind, std::string(describe(read)), too_big ? std::string() : std::string(bitmap_message(read)),
            system_error_of(kind)};
  }
  const FailureKind kind = kind_of(outcome);
  return {kind, std::string(describe(outcome, bitmap_outcome)),
          std::string(picture_message(outcome, bitmap_outcome)), system_error_of(kind)};
}

Failure pattern_failure(const Failure& file_failure, const std::string& shown_name) {
  const TemplateLoadStatus status = file_failure.kind == FailureKind::missing ? TemplateLoadStatus::missing
                                    : file_failure.kind == FailureKind::not_regular_file
                                        ? TemplateLoadStatus::not_a_regular_file
                                        : TemplateLoadStatus::unreadable;
  Failure failure = file_failure;
  failure.window_text = template_message({status, 0, -1}, shown_name);
  return failure;
}

Failure pattern_failure(const TemplateLoadOutcome& outcome, const std::string& shown_name) {
  FailureKind kind = FailureKind::unusable_patterns;
  if (outcome.status == TemplateLoadStatus::missing) kind = FailureKind::missing;
  if (outcome.status == TemplateLoadStatus::not_a_regular_file) kind = FailureKind::not_regular_file;
  if (outcome.status == TemplateLoadStatus::unreadable) kind = FailureKind::cannot_read;
  return {kind, describe(outcome), template_message(outcome, shown_name), system_error_of(kind)};
}

}  // namespace plate::reader
