#pragma once
// What plate-read tells about one input file, independent of the output format.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "candidate_review.h"
#include "engine/workspace.h"

namespace plate::cli {

struct CharacterReport {
  char digit;                               // '0'..'9'
  std::int32_t x_min, x_max, y_min, y_max;  // plane coordinates, rows from the bottom
  std::optional<std::int32_t> distance;     // of the template that labelled it; absent if none did
};

struct PlateReport {
  std::string text;  // UTF-8 (the Shift-JIS middle dot 0xA5 as U+FF65)
  std::int32_t digit_count;
  std::int32_t group_id;
  std::int32_t x_min, x_max, y_min, y_max;  // the plate frame, plane coordinates
  std::vector<CharacterReport> characters;  // left to right
};

struct FileReport {
  std::string name;                          // UTF-8, as the input was named
  std::optional<std::string> error;          // set when the file could not be read; then no run was made
  std::optional<std::string> overlay_error;  // the overlay picture asked for could not be written
  std::uint32_t processing_ms = 0;           // the run's own measure
  std::int64_t elapsed_us = 0;               // wall time around the run, measured by plate-read
  std::vector<PlateReport> plates;           // in the order the result dialog lists them
  std::vector<std::string> log_lines;        // without their line ends
  std::vector<CandidateReview> candidates;   // filled only when asked for
  std::string stderr_lines;                  // messages about this file, each line prefixed with its name

  bool failed() const { return error || overlay_error; }
};

// The plates, log and timings of the run that has just ended in `workspace`. The characters'
// distances are worked out again (they cost a matching of each digit) only when asked for.
FileReport report_run(const Workspace& workspace, bool with_distances);

}  // namespace plate::cli
