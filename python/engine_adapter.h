#pragma once
// The Python module's one door to the engine and the picture readers. Everything the module needs
// from engine/, image/ and cli/ is called here and nowhere else, so that the bindings only see
// plate-read's reports and a change of engine or reader API stays inside this file and its source.
// No Python here: the bindings turn these outcomes into exceptions and dicts.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "engine/plane.h"
#include "engine/recognition_engine.h"
#include "file_report.h"
#include "tiling/small_plate_reader.h"

namespace plate::python {

// One run's plates, characters (with their distances), log and timings, in plate-read's terms; for
// an input that could not be used, plate-read's error record and message line instead.
using RunReport = plate::cli::FileReport;

// Which exception an input that could not be used raises.
enum class Refusal {
  none,
  system,     // the system would not give the file (missing, no permission, ...): OSError with `system_error`
  bad_input,  // the file or array is not a picture (or pattern file) the reader takes: ValueError
};

struct InputOutcome {
  Refusal refusal = Refusal::none;
  int system_error = 0;  // an errno value for Refusal::system
  std::string words;     // what was wrong, as plate-read words it after the file's name
};

enum class ChannelOrder { rgb, bgr };

// An H x W x 3 array of bytes; strides are in bytes and may be negative (numpy views).
struct PixelView {
  const std::uint8_t* data;
  std::int64_t height, width;
  std::int64_t row_stride, column_stride, channel_stride;
  ChannelOrder order;
};

class EngineAdapter {
 public:
  // The templates: the file named, else the one plate-read would take (the working directory's,
  // else `shipped_directory`'s). Unlike plate-read, a missing default file is an error too: a
  // library that silently reads no plate helps nobody. On a refusal, `failure` gets plate-read's
  // record for the pattern file.
  InputOutcome load_patterns(const std::optional<std::filesystem::path>& named,
                             const std::filesystem::path& shipped_directory, RunReport& failure);

  // Reads a picture file as plate-read reads it and runs it: the report, or plate-read's error
  // record with the refusal. With `small_plates`, also the plates of enlarged tiles, as
  // plate-read --small-plates adds them.
  InputOutcome read_file(const std::filesystem::path& path, RunReport& report, bool small_plates = false);

  // Puts an array into the frame where the bitmap reader places a picture of its size (its top row
  // at the frame's top, its left column at x = 0, the rest black) and runs it. The report's `name`
  // is left empty.
  InputOutcome read_pixels(const PixelView& pixels, RunReport& report);

 private:
  RunReport run();
  // Adds the plates the enlarged tiles read to `report`, the run just made over a picture that
  // takes `fitted` of the frame.
  void add_small_plates(RunReport& report, int fitted_width, int fitted_height);

  RecognitionEngine engine_;
  Plane picture_{};
  std::unique_ptr<SmallPlateReader> small_plates_;  // made on the first read that asks for it
};

}  // namespace plate::python
