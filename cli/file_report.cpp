#include "file_report.h"

#include <algorithm>

#include "present/plate_order.h"
#include "present/plate_text.h"

namespace plate::cli {

namespace {

std::vector<std::string> split_log(std::string_view log) {
  std::vector<std::string> lines;
  while (!log.empty()) {
    const std::size_t end = log.find("\r\n");
    lines.emplace_back(log.substr(0, end));
    log.remove_prefix(end == std::string_view::npos ? log.size() : end + 2);
  }
  return lines;
}

std::optional<TemplateChoice> choice(const TemplateTable& templates, std::int32_t index,
                                     std::int32_t distance) {
  if (index == kNoTemplate) return std::nullopt;
  return TemplateChoice{static_cast<char>(templates[static_cast<std::size_t>(index)].character), index,
                        distance};
}

CharacterReport report_character(const TemplateTable& templates, const MatchRecord& match,
                                 const FrameBox& box) {
  CharacterReport character{static_cast<char>(match.shown_digit),
                            box.x_min,
                            box.x_max,
                            box.y_min,
                            box.y_max,
                            choice(templates, match.shown_template, match.shown_distance),
                            std::nullopt,
                            choice(templates, match.runner_up_template, match.runner_up_distance),
                            std::nullopt};
  if (match.changed_by_zero_eight_check())
    character.matched = choice(templates, match.nearest_template, match.nearest_distance);
  return character;
}

}  // namespace

FileReport report_run(const RecognitionEngine& engine, std::optional<std::int32_t> max_distance) {
  const RunResult& result = engine.result();
  FileReport report;
  report.processing_ms = result.processing_ms;
  for (const GroupRun& run : plates_in_dialog_order(result.characters)) {
    const GroupEntry& group = result.groups[static_cast<std::size_t>(run.group_id)];
    PlateReport plate{plate_text_to_utf8(plate_text_bytes(group)),
                      group.digit_count,
                      run.group_id,
                      group.x_min,
                      group.x_max,
                      group.y_min,
                      group.y_max,
                      {},
                      0,
                      std::nullopt};
    for (std::int32_t k = 0; k < run.entry_count; ++k) {
      const CharacterEntry& entry = result.characters.entries[static_cast<std::size_t>(run.first_entry + k)];
      const MatchRecord& match = result.matches[static_cast<std::size_t>(entry.candidate_index)];
      plate.characters.push_back(
          report_character(engine.templates(), match, {entry.x_min, entry.x_max, entry.y_min, entry.y_max}));
      plate.worst_distance = std::max(plate.worst_distance, plate.characters.back().distance());
    }
    if (max_distance && plate.worst_distance > *max_distance) continue;
    report.plates.push_back(std::move(plate));
  }
  report.log_lines = split_log(result.log.view());
  return report;
}

void add_tile_plates(FileReport& report, const TemplateTable& templates,
                     const std::vector<PlateReading>& plates, std::optional<std::int32_t> max_distance) {
  for (const PlateReading& reading : plates) {
    if (max_distance && reading.worst_distance > *max_distance) continue;
    PlateReport plate{plate_text_to_utf8(reading.text),
                      reading.digit_count,
                      0,
                      reading.frame.x_min,
                      reading.frame.x_max,
                      reading.frame.y_min,
                      reading.frame.y_max,
                      {},
                      reading.worst_distance,
                      std::nullopt,
                      reading.scale};
    for (const ReadCharacter& c : reading.characters)
      plate.characters.push_back(report_character(templates, c.match, c.box));
    report.plates.push_back(std::move(plate));
  }
}

}  // namespace plate::cli
