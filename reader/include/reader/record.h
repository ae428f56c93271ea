#pragma once
// What reading one picture gives, whatever front end asked for it: its plates with their
// characters, boxes and distances, the run's timings and log, or why it could not be read.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/candidate_review.h"
#include "engine/recognition_engine.h"
#include "image/frame_fit.h"
#include "reader/failure.h"
#include "tiling/plate_reading.h"

namespace plate::reader {

// A quadrilateral in the original picture's pixels, for what was read on a straightened plate: its
// top-left, top-right, bottom-right and bottom-left corners, each (x, y), x from the picture's left
// edge and y down from its top edge.
using SourceCorners = std::array<std::array<double, 2>, 4>;

struct TemplateChoice {
  char digit;             // the template's digit
  std::int32_t index;     // its place in the template table
  std::int32_t distance;  // as matching recorded it
};

struct CharacterRecord {
  char digit;                               // '0'..'9', as shown
  std::int32_t x_min, x_max, y_min, y_max;  // plane coordinates, rows from the bottom
  // The template of the shown digit. Absent only when the 0/8 check turned the digit into one
  // whose template the windows refused; `matched` then says which template read the candidate.
  std::optional<TemplateChoice> shown;
  std::optional<TemplateChoice> matched;             // set only when the 0/8 check changed the digit
  std::optional<TemplateChoice> runner_up;           // the second-nearest accepted template, if any
  std::optional<PixelBox> source_box;                // the same box in the original picture's pixels
  std::optional<SourceCorners> quad = std::nullopt;  // set for a plate read straightened

  // The distance that vouches for this digit: its own template's, else the one that read it.
  std::int32_t distance() const { return shown ? shown->distance : matched->distance; }
};

struct PlateRecord {
  std::string text;  // UTF-8 (the Shift-JIS middle dot 0xA5 as U+FF65)
  std::int32_t digit_count;
  std::int32_t group_id;  // 0 for a plate read on an enlarged tile (it has no group in the run)
  std::int32_t x_min, x_max, y_min, y_max;  // the plate frame, plane coordinates
  std::vector<CharacterRecord> characters;  // left to right
  std::int32_t worst_distance;              // the largest of its characters' distances
  std::optional<PixelBox> source_box;       // the plate frame in the original picture's pixels
  // Set for a plate read on an enlarged tile: its scale.
  std::optional<int> tile_scale = std::nullopt;
  // Set for a plate found in the photo and read straightened: where it lies in the picture. Its
  // frame and character boxes are then the boxes of the frame that hold their quadrilaterals.
  std::optional<SourceCorners> quad = std::nullopt;
};

// The picture as it was before it was fitted into the frame.
struct SourceRecord {
  std::string format;  // "bmp", "jpeg", "png"
  std::int32_t width = 0, height = 0;
  double scale = 1.0;  // frame pixels per picture pixel
};

struct Record {
  std::string name;  // UTF-8, as the input was named
  // Set when the file could not be read; then no run was made. The desktop window's Japanese
  // message for it, or where the window has none, `error_detail`.
  std::optional<std::string> error;
  std::string error_detail;        // which check failed, in English
  std::optional<Failure> failure;  // set with `error`: what kind of failure, for callers that sort them
  std::optional<std::string> overlay_error;  // the overlay picture asked for could not be written
  std::optional<SourceRecord> source;        // set when the picture came through the loader
  std::uint32_t processing_ms = 0;           // the run's own measure
  std::int64_t elapsed_us = 0;               // wall time around the run (and the tiles), measured outside it
  std::vector<PlateRecord> plates;           // in the order the result dialog lists them
  std::vector<std::string> log_lines;        // without their line ends
  std::vector<CandidateReview> candidates;   // filled only when asked for
  std::string messages;  // lines about this file ("plate-read: NAME: TEXT"), for standard error

  bool failed() const { return error || overlay_error; }
};

// "plate-read: NAME: TEXT" and a line end, the form of every message about one picture; the name is
// escaped as the text output shows it.
std::string message_line(std::string_view name, std::string_view text);

// The record of a picture that could not be used: `error` (the desktop's message, else which check
// failed), `error_detail`, `failure` and the message line.
Record failed_record(const std::string& name, const Failure& failure);

// The plates, log and timings of the run that has just ended in `engine`, with each character's
// distances as matching recorded them. With `max_distance`, plates whose worst distance is above
// it are left out (of the record only: the run's result is not changed).
Record record_run(const RecognitionEngine& engine, std::optional<std::int32_t> max_distance);

// Adds the plates that the enlarged tiles read (tiling/small_plate_reader.h) after the run's own,
// with group id 0 and their tile's scale; `max_distance` as for record_run.
void add_tile_plates(Record& record, const TemplateTable& templates, const std::vector<PlateReading>& plates,
                     std::optional<std::int32_t> max_distance);

// Adds a plate found in the photo and read straightened (finder/found_plate_reading.h) after the
// others, with group id 0, its boxes those of the frame that hold `quad` and `character_quads`;
// `max_distance` as for record_run.
void add_straightened_plate(Record& record, const TemplateTable& templates, const RunPlate& plate,
                            const SourceCorners& quad, const std::vector<SourceCorners>& character_quads,
                            std::optional<std::int32_t> max_distance);

// Gives the record the picture's format, size and scale, and each box also in the picture's pixels.
void add_source_boxes(Record& record, std::string format, const FrameMapping& mapping);

}  // namespace plate::reader
