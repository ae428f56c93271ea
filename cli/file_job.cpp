#include "file_job.h"

#include <chrono>

#include "engine/recognition.h"
#include "image/bitmap_reader.h"
#include "image/bitmap_writer.h"
#include "input_check.h"
#include "input_list.h"
#include "name_escape.h"
#include "options.h"
#include "output_file.h"
#include "overlay_drawing.h"
#include "prefixed_messages.h"
#include "shell/overlay_plan.h"

namespace plate::cli {

namespace {

// A height of 0 is a valid, empty picture: the run over its black frame simply finds nothing.
bool picture_was_read(ReadOutcome outcome) {
  return outcome == ReadOutcome::read || outcome == ReadOutcome::empty_picture;
}

FileReport unreadable(const std::string& name, std::string problem) {
  FileReport failed;
  failed.name = name;
  failed.stderr_lines = file_message_line(name, problem);
  failed.error = std::move(problem);
  return failed;
}

}  // namespace

std::string file_message_line(std::string_view name, std::string_view text) {
  return std::string(kProgramName) + ": " + escaped_name(name) + ": " + std::string(text) + "\n";
}

FileReport process_file(const std::filesystem::path& path, Workspace& workspace, const JobSettings& settings,
                        const std::optional<std::filesystem::path>& overlay_path) {
  const std::string name = display_name(path);
  // Nothing but a regular file is opened for reading, so that a FIFO cannot hang the batch.
  const InputFacts facts = inspect_input(path);
  if (!reader_may_open(facts)) return unreadable(name, describe_unreadable(facts, std::nullopt, {}));
  PrefixedMessages messages(std::string(kProgramName) + ": " + escaped_name(name));
  const ReadOutcome outcome = read_bitmap(path, workspace.display, messages);
  if (!picture_was_read(outcome))
    return unreadable(name, describe_unreadable(facts, outcome, messages.first_message()));

  const auto start = std::chrono::steady_clock::now();
  run_recognition(workspace);
  const auto elapsed = std::chrono::steady_clock::now() - start;

  FileReport report = report_run(workspace, settings.character_distances);
  report.name = name;
  report.elapsed_us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  if (settings.review_candidates) report.candidates = review_candidates(workspace);

  if (overlay_path) {
    draw_overlay(workspace.display, plan_overlay(workspace.result.groups, workspace.result.next_group_id));
    const std::vector<std::uint8_t> picture = encode_bitmap(workspace.display, kFrameWidth, kFrameHeight);
    if (const std::optional<std::string> reason = write_file_atomically(*overlay_path, picture)) {
      const std::string problem =
          "cannot write the overlay picture " + escaped_name(display_name(*overlay_path)) + ": " + *reason;
      messages.show_message(problem);
      report.overlay_error = problem;
    }
  }
  report.stderr_lines = messages.stderr_lines();
  return report;
}

}  // namespace plate::cli
