// template-experiment: which recipe makes the templates that read real plate digits best, as a run
// reads them. Run it without arguments from anywhere; it reads the real digits from ../shared
// beside the project and prints its tables to standard output (a minute or two on one core).
//
// Plan.
//  1. The real digits (dev-candidates.jsonl: every candidate a run kept of each digit at 30, 45, 60
//     and 90 px, with the 0/8 check's verdict there) are split by source into two halves
//     (real_shapes.h). Recipes are chosen on the first half; the second is reported, never chosen
//     on, so that the figures show what the choice does on digits it has not seen.
//  2. Every option for a digit's template is made once: the digit drawn in the plate's construction
//     at four tracing heights and five stroke widths; DejaVu Sans Condensed Bold at three tracing
//     heights; and, for the digits without a hole (1, 2, 3, 5, 7), every digit of the first half
//     that the run kept whole (one candidate) at 90 px, taken as it is (a "real" recipe line).
//     Every option but the '1' is half as wide as tall, as plate digits are (the real digits' boxes
//     measure so at every height): a drawn digit fills the 40 x 80 mm cell, a typeface's digit is
//     squeezed so that it does. The renderer draws plates with the templates' shapes
//     (tools/digit_shapes.h), so an option must be a shape a plate can have: an outline does not
//     tell the holes of an '8', and a 30 px trace enlarged to a plate shows its pixel stairs.
//     Measured on the half not chosen on, options of every digit at every height and width read
//     within a digit or two a height of these (docs/templates.md).
//  3. Each option is compared once with every candidate of both halves by the matcher's own rules
//     (signature_distance_below, the rotation and proportion windows); what is kept is the distance
//     when both windows accept it and it is below 30. A table of ten options then reads a digit as
//     a run does (reading_by): the nearest accepted template, earlier in record order on ties, a
//     0/8 pick taking the recorded verdict, the largest candidate with a pick deciding. The chosen
//     table is checked against the engine's match_shape before anything is printed.
//  4. The score is right - 3 x wrong over all four heights of the first half. A search changes one
//     digit's template at a time to the option that raises the score most, until no change raises
//     it (a climb). It climbs from the drawn digits and from 16 seeded random tables and keeps the
//     best end (the earliest on ties): a run gives the same recipe every time, whatever is
//     shipped. Measured: shaking the ends (two digits changed at random, climbed again, 40 times
//     each) or rewarding the margin to the nearest other digit raised the score on the half
//     chosen on and not on the other.
//  5. The same search on the second half (options from the second half, first half reported) is
//     printed as well: how far apart the two choices' figures lie shows how much of a figure is the
//     half it was chosen on.
//
// Rejected: choosing each digit's template on its own digit's samples. Matching picks the nearest
// of ten, so a template is only as good as it keeps the other nine digits away; the score of the
// whole table decides each step. Rejected too: a veto by other typefaces. Japanese plates have one
// typeface; a template that reads Arial or Times worse tells us nothing about plates.

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/match_record.h"
#include "engine/matching.h"
#include "engine/recognition.h"
#include "tools/pattern_maker.h"
#include "tools/real_shapes.h"

namespace {

using namespace plate;
using tools::DigitCandidate;
using tools::DigitRecipe;
using tools::DigitSample;
using tools::OutlineSource;
using Samples = std::vector<const DigitSample*>;

// The typeface options: fonts the setup installs, so that the choice does not depend on what else
// a machine has. (Go Bold and Noto Sans Bold, options once, were never installed by it.)
constexpr std::array<const char*, 1> kRecipeFonts = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
};
constexpr int kRestarts = 16;  // seeded random starting tables, besides the drawn digits
constexpr std::int8_t kRefused = 30;
constexpr int kRealHeight = 90;  // the finest trace of a real digit, the one taken as a template

struct Option {
  DigitRecipe recipe;
  ShapeRecord record;
};

// For every option, for every candidate of the file (by index): the accepted distance, or kRefused.
struct DistanceTable {
  std::vector<std::vector<Option>> options;                      // [digit][k]
  std::vector<std::vector<std::vector<std::int8_t>>> distances;  // [digit][k][candidate]
};

using Table = std::array<std::size_t, 10>;  // option per digit, in record order 0..9

// The width that makes a typeface's `digit` half as wide as tall, as plate digits are (the 40 x 80
// mm cell; the real digits' boxes measure so at every height), to two decimals.
double plate_width_scale(const char* font, char digit) {
  const tools::GlyphBitmap glyph =
      tools::GlyphRasterizer(font).render(char32_t(digit), 90, tools::HeightBasis::ink);
  return std::round(100.0 * glyph.height / 2.0 / glyph.width) / 100.0;
}

std::vector<Option> made_options(Workspace& workspace, char digit) {
  std::vector<DigitRecipe> recipes;
  for (const double height : {30.0, 45.0, 60.0, 90.0})
    for (const double stroke : {10.0, 11.0, 12.0, 13.0, 14.0}) {
      DigitRecipe r;
      r.digit = digit;
      r.source = OutlineSource::drawn;
      r.height = height;
      r.stroke_mm = stroke;
      recipes.push_back(r);
    }
  for (const char* font : kRecipeFonts) {
    if (!std::filesystem::exists(font)) continue;
    if (digit == '1') continue;  // a bar, which no squeeze makes half as wide as tall
    for (const double height : {45.0, 60.0, 90.0}) {
      DigitRecipe r;
      r.digit = digit;
      r.source = OutlineSource::font;
      r.file = font;
      r.horizontal_scale = plate_width_scale(font, digit);
      r.height = height;
      recipes.push_back(r);
    }
  }
  std::vector<Option> options;
  for (const DigitRecipe& r : recipes) {
    try {
      options.push_back({r, tools::make_template(workspace, r)});
    } catch (const std::runtime_error&) {
      // a glyph the scan keeps in pieces at that size is no option
    }
  }
  return options;
}

// Whether a digit's outer outline is all of it. A template holds only the outline; the renderer
// draws the digits as the templates have them (plate_renderer/), and cannot know the holes of a
// '0', '4', '6', '8' or '9' from the outline alone.
bool outline_is_whole_digit(char digit) {
  return digit == '1' || digit == '2' || digit == '3' || digit == '5' || digit == '7';
}

// Every digit of `half` that left one candidate at kRealHeight, as a real option, for the digits
// whose outline is the whole digit.
void add_real_options(std::vector<std::vector<Option>>& options, const Samples& half,
                      const std::filesystem::path& candidate_file) {
  for (const DigitSample* sample : half) {
    if (sample->height != kRealHeight || sample->candidates.size() != 1 ||
        !outline_is_whole_digit(sample->digit))
      continue;
    DigitRecipe r;
    r.digit = sample->digit;
    r.source = OutlineSource::real;
    r.file = candidate_file;
    r.source_id = sample->source;
    r.height = sample->height;
    options[std::size_t(sample->digit - '0')].push_back(
        {r, tools::template_from_candidate(*sample->candidates[0])});
  }
}

std::int8_t accepted_distance(const ShapeRecord& option, const ShapeRecord& candidate) {
  if (!proportion_accepted(candidate, option.character)) return kRefused;
  const auto match = signature_distance_below(option, candidate, kRefused);
  if (!match || !rotation_accepted(match->rotation, option.character)) return kRefused;
  return static_cast<std::int8_t>(match->distance);
}

DistanceTable compare_all(std::vector<std::vector<Option>> options,
                          const std::vector<DigitCandidate>& candidates) {
  DistanceTable table;
  table.distances.resize(10);
  for (std::size_t d = 0; d < 10; ++d) {
    for (const Option& option : options[d]) {
      std::vector<std::int8_t> row(candidates.size());
      for (std::size_t c = 0; c < candidates.size(); ++c)
        row[c] = accepted_distance(option.record, candidates[c].record);
      table.distances[d].push_back(std::move(row));
    }
  }
  table.options = std::move(options);
  return table;
}

// Scores tables on one set of samples, fast: every candidate's pick comes from the distance table.
class Scorer {
 public:
  Scorer(const DistanceTable& table, const std::vector<DigitCandidate>& candidates, const Samples& samples)
      : table_(table), samples_(samples) {
    for (const DigitSample* s : samples)
      for (const DigitCandidate* c : s->candidates) used_.push_back(std::size_t(c - candidates.data()));
    base_ = candidates.data();
  }

  // The digit picked for candidate c by `table`, 0 for none.
  char pick(const Table& table, std::size_t c) const {
    std::int8_t best = kRefused;
    char digit = 0;
    for (std::size_t d = 0; d < 10; ++d) {
      const std::int8_t distance = table_.distances[d][table[d]][c];
      if (distance < best) best = distance, digit = char('0' + d);
    }
    return digit;
  }

  tools::DigitScore score(const Table& table) const {
    tools::DigitScore score;
    for (const DigitSample* s : samples_)
      score.add(*s, tools::reading_by(*s, [&](const DigitCandidate& c) { return pick(table, index(c)); }));
    return score;
  }

  // right - 3 x wrong.
  int value(const Table& table) const { return value_with(others_of(table, kNoDigit), kNoDigit, {}); }

  // The option of digit d that gives the highest value with the other nine digits of `table`, and
  // that value (the current option on ties).
  std::pair<std::size_t, int> best_for_digit(const Table& table, std::size_t d) const {
    const Others others = others_of(table, d);
    const auto& rows = table_.distances[d];
    std::size_t best_option = table[d];
    int best_value = value_with(others, d, rows[table[d]]);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      if (k == table[d]) continue;
      if (const int v = value_with(others, d, rows[k]); v > best_value) best_value = v, best_option = k;
    }
    return {best_option, best_value};
  }

 private:
  static constexpr std::size_t kNoDigit = 10;
  struct Nearest {
    std::int8_t distance = kRefused;
    std::uint8_t digit = kNoDigit;  // also its record position
  };
  using Others = std::vector<Nearest>;  // by candidate index

  // Per candidate: the nearest accepted template of `table` but digit `left_out` (the earlier on
  // equal distances, as the matcher takes it).
  Others others_of(const Table& table, std::size_t left_out) const {
    Others others(table_.distances[0][0].size());
    for (const std::size_t c : used_) {
      for (std::size_t o = 0; o < 10; ++o) {
        const std::int8_t distance = table_.distances[o][table[o]][c];
        if (o != left_out && distance < others[c].distance) others[c] = {distance, std::uint8_t(o)};
      }
    }
    return others;
  }

  // The value when digit d's template has the accepted distances `row` (none when d is kNoDigit).
  int value_with(const Others& others, std::size_t d, const std::vector<std::int8_t>& row) const {
    int value = 0;
    for (const DigitSample* s : samples_) {
      const char read = tools::reading_by(*s, [&](const DigitCandidate& candidate) -> char {
        const std::size_t c = index(candidate);
        Nearest nearest = others[c];
        if (d != kNoDigit && (row[c] < nearest.distance || (row[c] == nearest.distance && d < nearest.digit)))
          nearest = {row[c], std::uint8_t(d)};
        return nearest.distance < kRefused ? char('0' + nearest.digit) : char(0);
      });
      value += read == 0 ? 0 : read == s->digit ? 1 : -3;
    }
    return value;
  }

  std::size_t index(const DigitCandidate& c) const { return std::size_t(&c - base_); }

  const DistanceTable& table_;
  const Samples& samples_;
  std::vector<std::size_t> used_;
  const DigitCandidate* base_ = nullptr;
};

// Changes one digit at a time to its best option until nothing raises the value.
Table climb(const Scorer& scorer, Table table) {
  int value = scorer.value(table);
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t d = 0; d < 10; ++d) {
      const auto [option, v] = scorer.best_for_digit(table, d);
      if (v > value) table[d] = option, value = v, changed = true;
    }
  }
  return table;
}

// Climbs from each start and from kRestarts seeded random tables; the end with the highest value
// wins (the earliest on ties).
Table search(const DistanceTable& distances, const Scorer& scorer, std::vector<Table> starts, unsigned seed) {
  std::mt19937 random(seed);
  for (int r = 0; r < kRestarts; ++r) {
    Table t{};
    for (std::size_t d = 0; d < 10; ++d) t[d] = random() % distances.options[d].size();
    starts.push_back(t);
  }
  Table best{};
  int best_value = std::numeric_limits<int>::min();
  for (const Table& start : starts) {
    const Table end = climb(scorer, start);
    if (const int v = scorer.value(end); v > best_value) best = end, best_value = v;
  }
  return best;
}

TemplateTable templates_of(const DistanceTable& distances, const Table& table) {
  TemplateTable templates{};
  for (std::size_t d = 0; d < 10; ++d) templates[d] = distances.options[d][table[d]].record;
  return templates;
}

// The distance table's readings must be the engine's: every sample of `samples` is read again
// through match_shape. Throws when one differs.
void check_against_matcher(const Scorer& scorer, const TemplateTable& templates, const Table& table,
                           const Samples& samples) {
  const tools::DigitScore fast = scorer.score(table);
  const tools::DigitScore engine = tools::score_samples(templates, samples);
  if (!(fast == engine)) throw std::runtime_error("the distance table disagrees with the matcher");
}

std::size_t option_like(const std::vector<Option>& options, const DigitRecipe& wanted) {
  for (std::size_t k = 0; k < options.size(); ++k) {
    const DigitRecipe& r = options[k].recipe;
    if (r.source == wanted.source && r.file == wanted.file && r.height == wanted.height &&
        r.stroke_mm == wanted.stroke_mm && r.horizontal_scale == wanted.horizontal_scale &&
        r.embolden == wanted.embolden && r.source_id == wanted.source_id)
      return k;
  }
  return options.size();
}

void print_half(const char* name, const tools::DigitScore& score) {
  std::printf("  %s:", name);
  for (const auto& [height, c] : score.by_height)
    std::printf("  %d px %5.1f %4.1f %4.1f", height, 100.0 * c.right / c.total(), 100.0 * c.wrong / c.total(),
                100.0 * c.unread / c.total());
  const tools::Counts& a = score.all;
  std::printf("  | all %5.1f %4.1f %4.1f  score %d\n", 100.0 * a.right / a.total(),
              100.0 * a.wrong / a.total(), 100.0 * a.unread / a.total(), a.score());
  for (const auto& [height, confusion] : score.confusion_by_height)
    std::printf("      %d px wrong: %s\n", height, tools::confusion_pairs(confusion).c_str());
}

void report(const char* title, const TemplateTable& templates, const Samples& chosen_on, const char* on_name,
            const Samples& checked_on, const char* check_name) {
  std::printf("\n%s (right %%, wrong %%, unread %% by height)\n", title);
  print_half(on_name, tools::score_samples(templates, chosen_on));
  print_half(check_name, tools::score_samples(templates, checked_on));
}

struct Choice {
  TemplateTable templates;
  std::array<DigitRecipe, 10> recipe;
};

// Options from `chosen_on`, searched on it.
Choice choose(const std::vector<std::vector<Option>>& made, const std::vector<DigitCandidate>& candidates,
              const Samples& chosen_on, const std::filesystem::path& candidate_file, unsigned seed) {
  std::vector<std::vector<Option>> options = made;
  add_real_options(options, chosen_on, candidate_file);
  std::size_t count = 0;
  for (const auto& o : options) count += o.size();
  std::printf("  comparing %zu options with %zu candidates\n", count, candidates.size());
  const DistanceTable distances = compare_all(std::move(options), candidates);
  const Scorer scorer(distances, candidates, chosen_on);

  Table drawn{};  // the plate's construction, 12 mm strokes, traced at 60 px
  for (std::size_t d = 0; d < 10; ++d) {
    DigitRecipe r;
    r.digit = char('0' + d);
    drawn[d] = option_like(distances.options[d], r);
  }
  const Table best = search(distances, scorer, {drawn}, seed);
  Choice choice;
  choice.templates = templates_of(distances, best);
  check_against_matcher(scorer, choice.templates, best, chosen_on);
  for (std::size_t d = 0; d < 10; ++d) choice.recipe[d] = distances.options[d][best[d]].recipe;
  return choice;
}

}  // namespace

int main() {
  try {
    const auto started = std::chrono::steady_clock::now();
    auto workspace = std::make_unique<Workspace>();
    const std::filesystem::path candidate_file = tools::default_candidate_file();
    std::printf("reading %s\n", candidate_file.c_str());
    const std::vector<DigitCandidate> candidates = tools::read_candidate_file(candidate_file);
    const std::vector<DigitSample> samples = tools::digit_samples(candidates);
    const Samples first = tools::half_of(samples, tools::Half::first);
    const Samples second = tools::half_of(samples, tools::Half::second);
    std::printf("%zu digit samples (%zu in the first half, %zu in the second)\n", samples.size(),
                first.size(), second.size());

    auto shipped = std::make_unique<TemplateTable>();
    const auto shipped_file = std::filesystem::path(PLATE_SOURCE_DIR) / "data" / "EBMPlog00.pat";
    if (!load_template_file(*shipped, shipped_file).loaded())
      throw std::runtime_error("cannot load the shipped file");

    std::printf("making the drawn and typeface options\n");
    std::vector<std::vector<Option>> made(10);
    for (std::size_t d = 0; d < 10; ++d) made[d] = made_options(*workspace, char('0' + d));

    // The recipe names the candidates file as the shipped recipe does, relative to data/.
    const std::filesystem::path recipe_file = "../../shared/real-digits/dev-candidates.jsonl";
    std::printf("search on the first half\n");
    const Choice on_first = choose(made, candidates, first, recipe_file, 1);
    std::printf("search on the second half (a check of the method only)\n");
    const Choice on_second = choose(made, candidates, second, recipe_file, 2);

    report("the shipped file, data/EBMPlog00.pat", *shipped, first, "1st half", second, "2nd half");
    report("chosen on the first half", on_first.templates, first, "1st half (chosen on)", second,
           "2nd half (held out)");
    report("chosen on the second half", on_second.templates, second, "2nd half (chosen on)", first,
           "1st half (held out)");
    for (const auto& [name, choice] : {std::pair{"first", &on_first}, {"second", &on_second}}) {
      std::printf("\nrecipe chosen on the %s half:\n", name);
      for (const DigitRecipe& r : choice->recipe) std::printf("%s\n", tools::recipe_line(r).c_str());
    }
    std::printf("\n%.0f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "template-experiment: %s\n", error.what());
    return 1;
  }
}
