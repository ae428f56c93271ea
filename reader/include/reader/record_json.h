#pragma once
// The one JSON form of a Record: what plate-read --json prints as a line, what the Python module
// gives as a dict and what the HTTP service answers.

#include <string>

#include "reader/record.h"

namespace plate::reader {

struct RecordJsonDetail {
  bool candidates = false;  // the review of every candidate
  bool file = true;         // the "file" key (a picture handed over as pixels has no name)
};

// One JSON object, without a line end. Keys come in a fixed order: "file", then "error" and
// "reason" for a picture that could not be read, else "source" (for pictures that came through the
// loader), "processing_ms", "elapsed_us", "plates", "log", "candidates" as asked, "overlay_error".
std::string record_json(const Record& record, RecordJsonDetail detail = {});

// One plate of a record, as record_json writes it in "plates" ("source_box" keys only when
// `with_source_boxes`): for outputs that name a plate of their own, as a video's events do.
std::string plate_json(const PlateRecord& plate, bool with_source_boxes);

}  // namespace plate::reader
