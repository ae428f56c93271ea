#include "file_job.h"

#include <chrono>

#include "image/bitmap_reader.h"
#ifdef PLATE_READ_PICTURES
#include "image/picture_loader.h"
#endif
#include "input_check.h"
#include "input_list.h"
#include "name_escape.h"
#include "options.h"
#include "overlay_picture.h"

namespace plate::cli {

// The error is what the desktop window says, where it says something in Japanese; the reason says
// which check failed.
FileReport unreadable(const std::string& name, const FileProblem& problem) {
  FileReport failed;
  failed.name = name;
  failed.error = problem.window_text.empty() ? problem.what : problem.window_text;
  failed.error_detail = problem.what;
  failed.stderr_lines = file_message_line(name, problem.line());
  return failed;
}

#ifdef PLATE_READ_PICTURES
// Each plate frame and character box of the report, also in the original picture's pixels.
void add_source_boxes(FileReport& report, const LoadedPicture& loaded) {
  const FrameMapping& mapping = loaded.mapping;
  for (PlateReport& plate : report.plates) {
    plate.source_box = frame_box_to_source(mapping, {plate.x_min, plate.x_max, plate.y_min, plate.y_max});
    for (CharacterReport& c : plate.characters)
      c.source_box = frame_box_to_source(mapping, {c.x_min, c.x_max, c.y_min, c.y_max});
  }
  report.source = SourceReport{loaded.format ? std::string(format_name(*loaded.format)) : std::string(),
                               mapping.source.width, mapping.source.height, mapping.scale()};
}
#endif

namespace {

// The plates the enlarged tiles add to the run just made over worker.picture, whose picture takes
// `fitted` of the frame.
std::vector<PlateReading> read_small_plates(WorkerState& worker, int fitted_width, int fitted_height) {
  if (!worker.small_plates)
    worker.small_plates = std::make_unique<SmallPlateReader>(worker.engine.templates());
  return worker.small_plates->read(worker.picture, fitted_width, fitted_height, worker.engine.result());
}

// The plates an overlay shows: the run's and, under the group ids after the run's, the tiles'.
OverlayPlates overlay_plates(const RunResult& result, const std::vector<PlateReading>& tile_plates) {
  OverlayPlates plates{result.groups, result.next_group_id};
  for (const PlateReading& reading : tile_plates) {
    if (plates.next_group_id > kMaxGroupId) break;
    GroupEntry& entry = plates.groups[static_cast<std::size_t>(plates.next_group_id++)];
    entry = GroupEntry{reading.digit_count, reading.frame.x_max, reading.frame.x_min,
                       reading.frame.y_max, reading.frame.y_min, {}};
    reading.text.copy(entry.text, kPlateTextBytes - 1);
  }
  return plates;
}

}  // namespace

std::string file_message_line(std::string_view name, std::string_view text) {
  return std::string(kProgramName) + ": " + escaped_name(name) + ": " + std::string(text) + "\n";
}

FileReport process_file(const std::filesystem::path& path, WorkerState& worker, const JobSettings& settings,
                        const std::optional<std::filesystem::path>& overlay_path) {
  const std::string name = display_name(path);
  // Nothing but a regular file is opened for reading, so that a FIFO cannot hang the batch.
  const InputFacts facts = inspect_input(path);
  if (facts.kind != FileKind::regular) return unreadable(name, picture_problem(facts));
#ifdef PLATE_READ_PICTURES
  const LoadedPicture loaded = load_picture(path, worker.picture);
  if (loaded.outcome != PictureOutcome::loaded)
    return unreadable(name, picture_problem(loaded.outcome, loaded.bitmap_outcome));
#else
  const ReadOutcome outcome = read_bitmap(path, worker.picture);
  if (!picture_was_read(outcome)) return unreadable(name, picture_problem(outcome));
#endif

  const auto start = std::chrono::steady_clock::now();
  const RunResult& result = worker.engine.run(worker.picture);
  const auto elapsed = std::chrono::steady_clock::now() - start;

  FileReport report = report_run(worker.engine, settings.max_distance);
  report.name = name;
  report.elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  if (settings.review_candidates) report.candidates = review_candidates(worker.engine);
  std::vector<PlateReading> tile_plates;
  if (settings.small_plates) {
#ifdef PLATE_READ_PICTURES
    tile_plates = read_small_plates(worker, loaded.mapping.fitted.width, loaded.mapping.fitted.height);
#else
    tile_plates = read_small_plates(worker, kFrameWidth, kFrameHeight);
#endif
    add_tile_plates(report, worker.engine.templates(), tile_plates, settings.max_distance);
    report.elapsed_us =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
            .count();  // the tiles' time too
  }
#ifdef PLATE_READ_PICTURES
  add_source_boxes(report, loaded);
#endif

  if (overlay_path) {
#ifdef PLATE_READ_PICTURES
    const FrameMapping& mapping = loaded.mapping;
#else
    const FrameMapping mapping;
#endif
    if (const std::optional<std::string> reason = write_overlay(
            path, mapping, worker.picture, overlay_plates(result, tile_plates), *overlay_path)) {
      report.overlay_error =
          "cannot write the overlay picture " + escaped_name(display_name(*overlay_path)) + ": " + *reason;
      report.stderr_lines = file_message_line(name, *report.overlay_error);
    }
  }
  return report;
}

}  // namespace plate::cli
