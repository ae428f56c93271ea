#include "file_report.h"

#include <algorithm>

#include "engine/matching.h"
#include "shell/display_text.h"
#include "shell/read_plates.h"

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

CharacterReport report_character(const Workspace& workspace, const CharacterEntry& entry,
                                 bool with_distance) {
  const ShapeRecord& candidate =
      workspace.candidates.records[static_cast<std::size_t>(entry.candidate_index)];
  CharacterReport character{static_cast<char>(candidate.character),
                            entry.x_min,
                            entry.x_max,
                            entry.y_min,
                            entry.y_max,
                            std::nullopt};
  // The matcher keeps no distance, so the choice is made again; the template it gives may differ
  // from the character when the 0/8 check turned a 0 into an 8 or back.
  if (with_distance) {
    if (const ShapeRecord* chosen = best_template(workspace.templates, candidate))
      character.distance = signature_distance(*chosen, candidate).distance;
  }
  return character;
}

}  // namespace

FileReport report_run(const Workspace& workspace, bool with_distances) {
  const RunResult& result = workspace.result;
  FileReport report;
  report.processing_ms = result.processing_ms;
  for (const PlateInList& in_list : plates_in_dialog_order(result.characters)) {
    const GroupEntry& group = result.groups[static_cast<std::size_t>(in_list.group_id)];
    const char* text_end = std::find(std::begin(group.text), std::end(group.text), '\0');
    PlateReport plate{plate_text_to_utf8({group.text, static_cast<std::size_t>(text_end - group.text)}),
                      group.digit_count,
                      in_list.group_id,
                      group.x_min,
                      group.x_max,
                      group.y_min,
                      group.y_max,
                      {}};
    for (std::int32_t k = 0; k < in_list.entry_count; ++k) {
      const CharacterEntry& entry =
          result.characters.entries[static_cast<std::size_t>(in_list.first_entry + k)];
      plate.characters.push_back(report_character(workspace, entry, with_distances));
    }
    report.plates.push_back(std::move(plate));
  }
  report.log_lines = split_log(result.log.view());
  return report;
}

}  // namespace plate::cli
