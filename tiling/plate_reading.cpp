#include "tiling/plate_reading.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <numeric>

#include "present/plate_order.h"
#include "present/plate_text.h"

namespace plate {

namespace {

long long area(const FrameBox& box) {
  return (long long)(box.x_max - box.x_min + 1) * (box.y_max - box.y_min + 1);
}

long long overlap_area(const FrameBox& a, const FrameBox& b) {
  const int width = std::min(a.x_max, b.x_max) - std::max(a.x_min, b.x_min) + 1;
  const int height = std::min(a.y_max, b.y_max) - std::max(a.y_min, b.y_min) + 1;
  return width <= 0 || height <= 0 ? 0 : (long long)width * height;
}

bool same_place(const FrameBox& a, const FrameBox& b) {
  return 2 * overlap_area(a, b) >= std::min(area(a), area(b));
}

// Union-find over the readings' indices.
int root(std::vector<int>& parent, int i) {
  while (parent[std::size_t(i)] != i)
    i = parent[std::size_t(i)] = parent[std::size_t(parent[std::size_t(i)])];
  return i;
}

struct TextAtPlace {
  std::string text;
  unsigned scales = 0;  // one bit per scale seen (scales below 32)
  const PlateReading* best = nullptr;
  int scale_count() const { return std::popcount(scales); }
};

}  // namespace

int vouching_distance(const MatchRecord& match) {
  return match.shown_template != kNoTemplate ? match.shown_distance : match.nearest_distance;
}

std::vector<PlateReading> plates_of_run(const RunResult& result, const Tile& tile) {
  std::vector<PlateReading> plates;
  for (const GroupRun& run : plates_in_dialog_order(result.characters)) {
    const GroupEntry& group = result.groups[std::size_t(run.group_id)];
    PlateReading reading;
    reading.text = std::string(plate_text_bytes(group));
    reading.digit_count = group.digit_count;
    reading.frame = tile_box_to_frame(tile, {group.x_min, group.x_max, group.y_min, group.y_max});
    reading.scale = tile.scale;
    for (std::int32_t k = 0; k < run.entry_count; ++k) {
      const CharacterEntry& e = result.characters.entries[std::size_t(run.first_entry + k)];
      const MatchRecord& match = result.matches[std::size_t(e.candidate_index)];
      reading.characters.push_back({tile_box_to_frame(tile, {e.x_min, e.x_max, e.y_min, e.y_max}), match});
      reading.worst_distance = std::max(reading.worst_distance, vouching_distance(match));
    }
    plates.push_back(std::move(reading));
  }
  return plates;
}

std::vector<PlateReading> judge_tile_readings(std::span<const PlateReading> frame_plates,
                                              std::span<const PlateReading> tile_readings,
                                              const JudgingRules& rules) {
  std::vector<const PlateReading*> open;
  for (const PlateReading& reading : tile_readings) {
    const bool on_frame_plate =
        std::any_of(frame_plates.begin(), frame_plates.end(),
                    [&](const PlateReading& p) { return overlap_area(p.frame, reading.frame) > 0; });
    if (!on_frame_plate) open.push_back(&reading);
  }

  std::vector<int> parent(open.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (std::size_t i = 0; i < open.size(); ++i)
    for (std::size_t j = i + 1; j < open.size(); ++j)
      if (same_place(open[i]->frame, open[j]->frame))
        parent[std::size_t(root(parent, int(i)))] = root(parent, int(j));

  std::vector<PlateReading> chosen;
  for (std::size_t place = 0; place < open.size(); ++place) {
    if (root(parent, int(place)) != int(place)) continue;
    std::vector<TextAtPlace> texts;
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (root(parent, int(i)) != int(place)) continue;
      const PlateReading& reading = *open[i];
      auto text = std::find_if(texts.begin(), texts.end(),
                               [&](const TextAtPlace& t) { return t.text == reading.text; });
      if (text == texts.end()) text = texts.insert(texts.end(), TextAtPlace{reading.text, 0, &reading});
      text->scales |= 1u << reading.scale;
      if (reading.worst_distance < text->best->worst_distance) text->best = &reading;
    }
    std::sort(texts.begin(), texts.end(), [](const TextAtPlace& a, const TextAtPlace& b) {
      if (a.scale_count() != b.scale_count()) return a.scale_count() > b.scale_count();
      return a.best->worst_distance < b.best->worst_distance;
    });
    const TextAtPlace& best = texts.front();
    if (texts.size() > 1 && texts[1].scale_count() == best.scale_count()) continue;  // a conflict
    const int limit = best.scale_count() >= 2 ? rules.worst_distance_agreed : rules.worst_distance_one_scale;
    if (best.best->digit_count < rules.fewest_digits || best.best->worst_distance > limit) continue;
    chosen.push_back(*best.best);
  }
  return chosen;
}

}  // namespace plate
