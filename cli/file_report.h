#pragma once
// What plate-read tells about one input file, independent of the output format.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/candidate_review.h"
#include "engine/recognition_engine.h"
#include "image/frame_fit.h"
#include "tiling/plate_reading.h"

namespace plate::cli {

struct TemplateChoice {
  char digit;             // the template's digit
  std::int32_t index;     // its place in the template table
  std::int32_t distance;  // as matching recorded it
};

struct CharacterReport {
  char digit;                               // '0'..'9', as shown
  std::int32_t x_min, x_max, y_min, y_max;  // plane coordinates, rows from the bottom
  // The template of the shown digit. Absent only when the 0/8 check turned the digit into one
  // whose template the windows refused; `matched` then says which template read the candidate.
  std::optional<TemplateChoice> shown;
  std::optional<TemplateChoice> matched;    // set only when the 0/8 check changed the digit
  std::optional<TemplateChoice> runner_up;  // the second-nearest accepted template, if any
  std::optional<PixelBox> source_box;       // the same box in the original picture's pixels

  // The distance that vouches for this digit: its own template's, else the one that read it.
  std::int32_t distance() const { return shown ? shown->distance : matched->distance; }
};

struct PlateReport {
  std::string text;  // UTF-8 (the Shift-JIS middle dot 0xA5 as U+FF65)
  std::int32_t digit_count;
  std::int32_t group_id;  // 0 for a plate read on an enlarged tile (it has no group in the run)
  std::int32_t x_min, x_max, y_min, y_max;  // the plate frame, plane coordinates
  std::vector<CharacterReport> characters;  // left to right
  std::int32_t worst_distance;              // the largest of its characters' distances
  std::optional<PixelBox> source_box;       // the plate frame in the original picture's pixels
  // Set for a plate read on an enlarged tile: its scale.
  std::optional<int> tile_scale = std::nullopt;
};

// The picture as it was before it was fitted into the frame.
struct SourceReport {
  std::string format;  // "bmp", "jpeg", "png"
  std::int32_t width = 0, height = 0;
  double scale = 1.0;  // frame pixels per picture pixel
};

struct FileReport {
  std::string name;  // UTF-8, as the input was named
  // Set when the file could not be read; then no run was made. The desktop window's Japanese
  // message for it, or where the window has none, `error_detail`.
  std::optional<std::string> error;
  std::string error_detail;                  // which check failed, in English
  std::optional<std::string> overlay_error;  // the overlay picture asked for could not be written
  std::optional<SourceReport> source;        // set when the picture came through the loader
  std::uint32_t processing_ms = 0;           // the run's own measure
  std::int64_t elapsed_us = 0;               // wall time around the run, measured by plate-read
  std::vector<PlateReport> plates;           // in the order the result dialog lists them
  std::vector<std::string> log_lines;        // without their line ends
  std::vector<CandidateReview> candidates;   // filled only when asked for
  std::string stderr_lines;                  // messages about this file, each line prefixed with its name

  bool failed() const { return error || overlay_error; }
};

// The plates, log and timings of the run that has just ended in `engine`, with each character's
// distances as matching recorded them. With `max_distance`, plates whose worst distance is above
// it are left out (of the report only: the run's result is not changed).
FileReport report_run(const RecognitionEngine& engine, std::optional<std::int32_t> max_distance);

// Adds the plates that the enlarged tiles read (tiling/small_plate_reader.h) after the run's own,
// with group id 0 and their tile's scale; `max_distance` as for report_run.
void add_tile_plates(FileReport& report, const TemplateTable& templates,
                     const std::vector<PlateReading>& plates, std::optional<std::int32_t> max_distance);

}  // namespace plate::cli
