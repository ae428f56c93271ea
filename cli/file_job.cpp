#include "file_job.h"

#include <chrono>

#include "engine/recognition.h"
#include "image/bitmap_reader.h"
#include "image/bitmap_writer.h"
#include "input_list.h"
#include "overlay_drawing.h"
#include "prefixed_messages.h"
#include "shell/overlay_plan.h"

namespace plate::cli {

namespace {

// A height of 0 is a valid, empty picture: the run over its black frame simply finds nothing.
bool picture_was_read(ReadOutcome outcome) {
  return outcome == ReadOutcome::read || outcome == ReadOutcome::empty_picture;
}

}  // namespace

FileReport process_file(const std::filesystem::path& path, Workspace& workspace, const JobSettings& settings,
                        const std::optional<std::filesystem::path>& overlay_path) {
  const std::string name = display_name(path);
  PrefixedMessages messages(name);
  const ReadOutcome outcome = read_bitmap(path, workspace.display, messages);
  if (!picture_was_read(outcome)) {
    FileReport failed;
    failed.name = name;
    failed.error = messages.first_message();
    failed.stderr_lines = messages.stderr_lines();
    return failed;
  }

  const auto start = std::chrono::steady_clock::now();
  run_recognition(workspace);
  const auto elapsed = std::chrono::steady_clock::now() - start;

  FileReport report = report_run(workspace, settings.character_distances);
  report.name = name;
  report.elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  if (settings.review_candidates) report.candidates = review_candidates(workspace);

  if (overlay_path) {
    draw_overlay(workspace.display, plan_overlay(workspace.result.groups, workspace.result.next_group_id));
    if (!write_bitmap(*overlay_path, workspace.display, kFrameWidth, kFrameHeight)) {
      const std::string problem = "cannot write the overlay picture " + display_name(*overlay_path);
      messages.show_message(problem);
      report.overlay_error = problem;
    }
  }
  report.stderr_lines = messages.stderr_lines();
  return report;
}

}  // namespace plate::cli
