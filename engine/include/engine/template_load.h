#pragma once
// What became of loading the pattern file. Whatever the outcome, the template table is usable:
// all zero when the file could not be read, otherwise as far as the file went, with every record
// that is not a sound digit template emptied.

#include <cstdint>

namespace plate {

enum class TemplateLoadStatus {
  loaded,              // ten sound records, 164280 bytes
  missing,             // no such file
  not_a_regular_file,  // a directory, a FIFO, a device: never opened, so never waited on
  unreadable,          // exists, but could not be opened or read
  wrong_size,          // shorter or longer than ten records; a short one fills the table as far as it goes
  bad_record,          // full size, but a record is no digit template (character byte, count, direction)
};

struct TemplateLoadOutcome {
  TemplateLoadStatus status;
  std::uintmax_t file_bytes;      // the size found, when the file could be read
  std::int32_t first_bad_record;  // 0..9 for bad_record; -1 otherwise

  bool loaded() const { return status == TemplateLoadStatus::loaded; }
};

}  // namespace plate
