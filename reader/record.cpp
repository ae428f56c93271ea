#include "reader/record.h"

#include <algorithm>

#include "present/plate_text.h"
#include "reader/names.h"

namespace plate::reader {

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

CharacterRecord record_character(const TemplateTable& templates, const PlateCharacter& c) {
  const MatchRecord& match = c.match;
  CharacterRecord character{static_cast<char>(match.shown_digit),
                            c.box.x_min,
                            c.box.x_max,
                            c.box.y_min,
                            c.box.y_max,
                            choice(templates, match.shown_template, match.shown_distance),
                            std::nullopt,
                            choice(templates, match.runner_up_template, match.runner_up_distance),
                            std::nullopt};
  if (match.changed_by_zero_eight_check())
    character.matched = choice(templates, match.nearest_template, match.nearest_distance);
  return character;
}

PlateRecord record_plate(const TemplateTable& templates, const RunPlate& plate, std::int32_t group_id,
                         std::optional<int> tile_scale) {
  PlateRecord record{plate_text_to_utf8(plate.text),
                     plate.digit_count,
                     group_id,
                     plate.frame.x_min,
                     plate.frame.x_max,
                     plate.frame.y_min,
                     plate.frame.y_max,
                     {},
                     plate.worst_distance,
                     std::nullopt,
                     tile_scale};
  for (const PlateCharacter& c : plate.characters)
    record.characters.push_back(record_character(templates, c));
  return record;
}

}  // namespace

std::string message_line(std::string_view name, std::string_view text) {
  return "plate-read: " + escaped_name(name) + ": " + std::string(text) + "\n";
}

// The error is what the desktop window says, where it says something in Japanese; the reason says
// which check failed.
Record failed_record(const std::string& name, const Failure& failure) {
  Record failed;
  failed.name = name;
  failed.error = failure.window_text.empty() ? failure.what : failure.window_text;
  failed.error_detail = failure.what;
  failed.failure = failure;
  failed.messages = message_line(name, failure.line());
  return failed;
}

Record record_run(const RecognitionEngine& engine, std::optional<std::int32_t> max_distance) {
  const RunResult& result = engine.result();
  Record record;
  record.processing_ms = result.processing_ms;
  for (const RunPlate& plate : plates_in_dialog_order(result)) {
    if (max_distance && plate.worst_distance > *max_distance) continue;
    record.plates.push_back(record_plate(engine.templates(), plate, plate.group_id, std::nullopt));
  }
  record.log_lines = split_log(result.log.view());
  return record;
}

void add_tile_plates(Record& record, const TemplateTable& templates, const std::vector<PlateReading>& plates,
                     std::optional<std::int32_t> max_distance) {
  for (const PlateReading& reading : plates) {
    if (max_distance && reading.plate.worst_distance > *max_distance) continue;
    record.plates.push_back(record_plate(templates, reading.plate, 0, reading.scale));
  }
}

void add_straightened_plate(Record& record, const TemplateTable& templates, const RunPlate& plate,
                            const SourceCorners& quad, const std::vector<SourceCorners>& character_quads,
                            std::optional<std::int32_t> max_distance) {
  if (max_distance && plate.worst_distance > *max_distance) return;
  PlateRecord straightened = record_plate(templates, plate, 0, std::nullopt);
  straightened.quad = quad;
  for (std::size_t k = 0; k < straightened.characters.size() && k < character_quads.size(); ++k)
    straightened.characters[k].quad = character_quads[k];
  record.plates.push_back(std::move(straightened));
}

void add_source_boxes(Record& record, std::string format, const FrameMapping& mapping) {
  for (PlateRecord& plate : record.plates) {
    plate.source_box = frame_box_to_source(mapping, {plate.x_min, plate.x_max, plate.y_min, plate.y_max});
    for (CharacterRecord& c : plate.characters)
      c.source_box = frame_box_to_source(mapping, {c.x_min, c.x_max, c.y_min, c.y_max});
  }
  record.source =
      SourceRecord{std::move(format), mapping.source.width, mapping.source.height, mapping.scale()};
}

}  // namespace plate::reader
