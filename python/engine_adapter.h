#pragma once
// The Python module's one door to the engine and the picture readers. Everything the module needs
// from engine/, image/, cli/ and shell/ is called here and nowhere else, so that the bindings never
// see the workspace and a change of engine or reader API stays inside this file and its source.
// No Python here: the bindings turn these outcomes into exceptions and dicts.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "file_report.h"

namespace plate {
struct Workspace;
}

namespace plate::python {

// One run's plates, characters (with their distances), log and timings, in plate-read's terms.
using RunReport = plate::cli::FileReport;

enum class LoadProblem {
  none,
  cannot_open,  // an I/O failure: `system_error` tells the errno when the system gave one
  bad_picture,  // the file or array is not a picture the reader takes
};

struct LoadOutcome {
  LoadProblem problem = LoadProblem::none;
  std::string message;   // the reader's own words, as plate-read prints them
  int system_error = 0;  // errno of a failed open, 0 when unknown
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
  EngineAdapter();
  ~EngineAdapter();
  EngineAdapter(const EngineAdapter&) = delete;
  EngineAdapter& operator=(const EngineAdapter&) = delete;

  // The templates: the file named, else the one plate-read would take (the working directory's,
  // else `shipped_directory`'s). Unlike plate-read, a missing default file is an error too: a
  // library that silently reads no plate helps nobody.
  LoadOutcome load_patterns(const std::optional<std::filesystem::path>& named,
                            const std::filesystem::path& shipped_directory);

  // Puts a picture file into the frame as plate-read reads it.
  LoadOutcome load_file(const std::filesystem::path& path);

  // Puts an array into the frame where the bitmap reader places a picture of its size: its top row
  // at the frame's top, its left column at x = 0, the rest black.
  LoadOutcome load_pixels(const PixelView& pixels);

  // One recognition run over the frame; the report's `name` is left empty.
  RunReport run();

  // The name plate-read gives a file in its reports.
  static std::string display_name(const std::filesystem::path& path);

 private:
  std::unique_ptr<Workspace> workspace_;
};

}  // namespace plate::python
