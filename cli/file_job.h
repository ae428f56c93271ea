#pragma once
// One input file from picture to report: read, one recognition run, report, overlay picture.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/plane.h"
#include "engine/recognition_engine.h"
#include "file_report.h"
#include "input_check.h"
#include "tiling/small_plate_reader.h"

namespace plate {
struct LoadedPicture;
}

namespace plate::cli {

struct JobSettings {
  bool review_candidates = false;
  std::optional<std::int32_t> max_distance;  // see report_run
  bool small_plates = false;                 // also read enlarged tiles
};

// What a worker reads each picture into, and draws its overlay over: one per worker, reused.
struct WorkerState {
  RecognitionEngine engine;
  Plane picture;
  std::unique_ptr<SmallPlateReader> small_plates;  // made on the first picture that asks for it
};

// "plate-read: NAME: TEXT" and a line end, the form of every message about one file; the name is
// escaped as the text output shows it.
std::string file_message_line(std::string_view name, std::string_view text);

// The report of a file that could not be used: `error`, `error_detail` and the message line.
FileReport unreadable(const std::string& name, const FileProblem& problem);

// Gives the report the picture's format, size and scale, and each box also in the picture's pixels.
void add_source_boxes(FileReport& report, const LoadedPicture& loaded);

// Reads `path` into worker.picture and runs worker.engine over it. A file that cannot be read gives
// a report with `error` (which check failed, with the desktop's message in parentheses) and no
// run; a FIFO, device or socket is never opened. With `overlay_path`, the picture framed and
// labelled as the desktop window shows it is written there (overlay_picture.h), whole or not at
// all; a failure to write it is the report's overlay_error.
FileReport process_file(const std::filesystem::path& path, WorkerState& worker, const JobSettings& settings,
                        const std::optional<std::filesystem::path>& overlay_path);

}  // namespace plate::cli
