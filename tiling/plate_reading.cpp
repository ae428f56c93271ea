#include "tiling/plate_reading.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <numeric>

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

// Whether `reading` stands just above a digit at least half as tall again as its first digit, within
// that digit's height and overlapping its digits' columns (widened by that height).
bool above_larger_digit(const PlateReading& reading, std::span<const SeenDigit> digits) {
  const FrameBox& first = reading.plate.characters.front().box;
  const int height = first.y_max - first.y_min;
  int bottom = first.y_min;
  for (const PlateCharacter& c : reading.plate.characters) bottom = std::min(bottom, c.box.y_min);
  const int left = first.x_min;
  const int right = reading.plate.characters.back().box.x_max;
  return std::any_of(digits.begin(), digits.end(), [&](const SeenDigit& seen) {
    const FrameBox& d = seen.box;
    const int digit_height = d.y_max - d.y_min;
    return 2 * digit_height >= 3 * height && d.y_max < bottom && d.y_max >= bottom - digit_height &&
           d.x_max >= left - digit_height && d.x_min <= right + digit_height;
  });
}

// How the frame's run voted on a reading's digits: against when it recognised one of them (a
// digit whose box centre lies in the reading's digit's box) as another digit; for when it
// recognised at least half of them, each as the same digit.
enum class Vote { none, against, in_favour };

Vote frame_vote(const PlateReading& reading, std::span<const SeenDigit> frame_digits) {
  std::size_t agreeing = 0;
  for (const PlateCharacter& c : reading.plate.characters) {
    for (const SeenDigit& seen : frame_digits) {
      const int x = (seen.box.x_min + seen.box.x_max) / 2;
      const int y = (seen.box.y_min + seen.box.y_max) / 2;
      if (x < c.box.x_min || x > c.box.x_max || y < c.box.y_min || y > c.box.y_max) continue;
      if (seen.digit != c.match.shown_digit) return Vote::against;
      ++agreeing;
      break;
    }
  }
  return 2 * agreeing >= reading.plate.characters.size() ? Vote::in_favour : Vote::none;
}

constexpr unsigned kFrameScaleBit = 1u << 1;

struct TextAtPlace {
  std::string text;
  unsigned scales = 0;  // one bit per scale seen (scales below 32)
  const PlateReading* best = nullptr;
  int scale_count() const { return std::popcount(scales); }
};

}  // namespace

PlateReading tile_plate_in_frame(RunPlate plate, const Tile& tile) {
  plate.frame = tile_box_to_frame(tile, plate.frame);
  for (PlateCharacter& c : plate.characters) c.box = tile_box_to_frame(tile, c.box);
  return {std::move(plate), tile.scale};
}

std::vector<PlateReading> plates_of_run(const RunResult& result, const Tile& tile) {
  std::vector<PlateReading> plates;
  for (RunPlate& plate : plates_in_dialog_order(result))
    plates.push_back(tile_plate_in_frame(std::move(plate), tile));
  return plates;
}

std::vector<SeenDigit> digits_of_run(const RunResult& result, const Tile& tile) {
  std::vector<SeenDigit> digits;
  for (std::int32_t k = 0; k < result.characters.count; ++k) {
    const CharacterEntry& e = result.characters.entries[std::size_t(k)];
    digits.push_back({tile_box_to_frame(tile, {e.x_min, e.x_max, e.y_min, e.y_max}),
                      result.matches[std::size_t(e.candidate_index)].shown_digit});
  }
  return digits;
}

std::vector<PlateReading> judge_tile_readings(std::span<const PlateReading> frame_plates,
                                              std::span<const SeenDigit> frame_digits,
                                              const TileReadings& tiles, const JudgingRules& rules) {
  std::vector<const PlateReading*> open;
  std::vector<Vote> votes;
  for (const PlateReading& reading : tiles.plates) {
    if (above_larger_digit(reading, frame_digits) || above_larger_digit(reading, tiles.digits)) continue;
    const Vote vote = frame_vote(reading, frame_digits);
    if (vote == Vote::against) continue;
    const bool on_frame_plate = std::any_of(
        frame_plates.begin(), frame_plates.end(),
        [&](const PlateReading& p) { return overlap_area(p.plate.frame, reading.plate.frame) > 0; });
    if (on_frame_plate) continue;
    open.push_back(&reading);
    votes.push_back(vote);
  }

  std::vector<int> parent(open.size());
  std::iota(parent.begin(), parent.end(), 0);
  for (std::size_t i = 0; i < open.size(); ++i)
    for (std::size_t j = i + 1; j < open.size(); ++j)
      if (same_place(open[i]->plate.frame, open[j]->plate.frame))
        parent[std::size_t(root(parent, int(i)))] = root(parent, int(j));

  std::vector<PlateReading> chosen;
  for (std::size_t place = 0; place < open.size(); ++place) {
    if (root(parent, int(place)) != int(place)) continue;
    std::vector<TextAtPlace> texts;
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (root(parent, int(i)) != int(place)) continue;
      const PlateReading& reading = *open[i];
      auto text = std::find_if(texts.begin(), texts.end(),
                               [&](const TextAtPlace& t) { return t.text == reading.plate.text; });
      if (text == texts.end()) text = texts.insert(texts.end(), TextAtPlace{reading.plate.text, 0, &reading});
      text->scales |= (1u << reading.scale) | (votes[i] == Vote::in_favour ? kFrameScaleBit : 0u);
      if (reading.plate.worst_distance < text->best->plate.worst_distance) text->best = &reading;
    }
    std::sort(texts.begin(), texts.end(), [](const TextAtPlace& a, const TextAtPlace& b) {
      if (a.scale_count() != b.scale_count()) return a.scale_count() > b.scale_count();
      return a.best->plate.worst_distance < b.best->plate.worst_distance;
    });
    const TextAtPlace& best = texts.front();
    if (texts.size() > 1 && texts[1].scale_count() == best.scale_count()) continue;  // a conflict
    const bool agreed = best.scale_count() >= 2;
    const int fewest =
        agreed ? rules.fewest_digits : std::max(rules.fewest_digits, rules.fewest_digits_one_scale);
    const int limit = agreed ? rules.worst_distance_agreed : rules.worst_distance_one_scale;
    if (best.best->plate.digit_count < fewest || best.best->plate.worst_distance > limit) continue;
    chosen.push_back(*best.best);
  }
  return chosen;
}

}  // namespace plate
