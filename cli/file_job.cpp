#include "file_job.h"

#include <chrono>

#include "image/bitmap_reader.h"
#include "image/bitmap_writer.h"
#include "input_list.h"
#include "present/outcome_messages.h"
#include "present/overlay_drawing.h"
#include "present/overlay_plan.h"
#include "prefixed_messages.h"

namespace plate::cli {

FileReport process_file(const std::filesystem::path& path, WorkerState& worker, const JobSettings& settings,
                        const std::optional<std::filesystem::path>& overlay_path) {
  const std::string name = display_name(path);
  PrefixedMessages messages(name);
  const ReadOutcome outcome = read_bitmap(path, worker.picture);
  if (!picture_was_read(outcome)) {
    // The desktop's words for the failure, then exactly what was wrong.
    messages.show_message(std::string(bitmap_message(outcome)) + " (" + std::string(describe(outcome)) + ")");
    FileReport failed;
    failed.name = name;
    failed.error = std::string(bitmap_message(outcome));
    failed.error_detail = std::string(describe(outcome));
    failed.stderr_lines = messages.stderr_lines();
    return failed;
  }

  const auto start = std::chrono::steady_clock::now();
  const RunResult& result = worker.engine.run(worker.picture);
  const auto elapsed = std::chrono::steady_clock::now() - start;

  FileReport report = report_run(worker.engine, settings.max_distance);
  report.name = name;
  report.elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  if (settings.review_candidates) report.candidates = review_candidates(worker.engine);

  if (overlay_path) {
    draw_overlay(worker.picture, plan_overlay(result.groups, result.next_group_id));
    if (!write_bitmap(*overlay_path, worker.picture, kFrameWidth, kFrameHeight)) {
      const std::string problem = "cannot write the overlay picture " + display_name(*overlay_path);
      messages.show_message(problem);
      report.overlay_error = problem;
    }
  }
  report.stderr_lines = messages.stderr_lines();
  return report;
}

}  // namespace plate::cli
