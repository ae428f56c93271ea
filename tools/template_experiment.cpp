// template-experiment: which font, squeeze and tracing height make the templates that recognise
// the most digits. Run it without arguments; it prints its tables to standard output.
//
// For every recipe (a font, a horizontal scale and a template height) it makes the ten
// templates exactly as make-patterns does, then draws the ten digits of the same look side by
// side at every ink height from 20 to 150 px, once clean and once blurred with a [1 2 1] kernel
// and sprinkled with noise of about 7 levels, and makes a whole recognition run over each
// picture. A digit counts as read when the candidate stored for it carries its own character;
// a missing candidate, no character and a wrong character all count as misses.
//
// Each digit sits one row higher than its left neighbour, so the seed scan's every-sixth-row grid
// meets the ten digits of a picture at different phases, as it meets digits of a real picture.
//
// Rejected: scoring templates against digits of other fonts as well. The demo's pictures are
// drawn in the chosen look, and a template set tuned to several fonts at once is tuned to none;
// the best recipe is instead cross-checked against the other looks at the end, for information.

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/recognition.h"
#include "tools/pattern_maker.h"

namespace {

using namespace plate;
using tools::DigitLook;
using tools::TemplateRecipe;

struct NamedFont {
  const char* name;
  const char* file;
};

constexpr std::array<NamedFont, 5> kFonts = {{
    {"Roboto Condensed Bold", "/usr/share/fonts/truetype/roboto/unhinted/RobotoCondensed-Bold.ttf"},
    {"Nimbus Sans Narrow Bold", "/usr/share/fonts/opentype/urw-base35/NimbusSansNarrow-Bold.otf"},
    {"IPAGothic", "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf"},
    {"Liberation Sans Narrow Bold", "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Bold.ttf"},
    {"DejaVu Sans Condensed Bold", "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"},
}};
constexpr std::array<double, 3> kHorizontalScales = {1.0, 0.9, 0.8};
constexpr std::array<double, 6> kTemplateHeights = {30, 45, 60, 75, 90, 120};
constexpr std::array<char, kTemplateCount> kDigitOrder = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'};

constexpr int kLowestHeight = 20, kHighestHeight = 150;
struct Band {
  int low, high;  // ink heights, inclusive
};
constexpr std::array<Band, 5> kBands = {{{20, 29}, {30, 49}, {50, 79}, {80, 119}, {120, 150}}};

constexpr int kFirstLeft = 20, kSlotWidth = 100, kBaseBottom = 300;

enum Condition { kClean, kDegraded, kConditionCount };
constexpr std::array<const char*, kConditionCount> kConditionNames = {"clean", "blur+noise"};

constexpr int kNoCharacter = 10;  // confusion column of digits read as nothing

struct Tally {
  std::array<std::array<int, kBands.size()>, 10> read{}, tried{};
  std::array<std::array<int, kConditionCount>, 10> read_by_condition{}, tried_by_condition{};
  std::array<std::array<int, 11>, 10> confusion{};  // [drawn digit][read digit or kNoCharacter]

  int total_read() const { return sum(read); }
  int total_tried() const { return sum(tried); }
  int condition_read(int condition) const { return column(read_by_condition, condition); }
  int condition_tried(int condition) const { return column(tried_by_condition, condition); }
  int band_read(std::size_t band) const { return column(read, band); }
  int band_tried(std::size_t band) const { return column(tried, band); }
  int digit_read(int digit) const { return row(read[static_cast<std::size_t>(digit)]); }
  int digit_tried(int digit) const { return row(tried[static_cast<std::size_t>(digit)]); }

 private:
  template <std::size_t N>
  static int row(const std::array<int, N>& cells) {
    int n = 0;
    for (const int cell : cells) n += cell;
    return n;
  }
  template <std::size_t N>
  static int sum(const std::array<std::array<int, N>, 10>& table) {
    int n = 0;
    for (const auto& cells : table) n += row(cells);
    return n;
  }
  template <std::size_t N>
  static int column(const std::array<std::array<int, N>, 10>& table, std::size_t at) {
    int n = 0;
    for (const auto& cells : table) n += cells[at];
    return n;
  }
};

std::size_t band_of(int height) {
  for (std::size_t b = 0; b < kBands.size(); ++b)
    if (height <= kBands[b].high) return b;
  return kBands.size() - 1;
}

// Rows that hold the digits of a picture, with a margin; only they are degraded, which keeps the
// experiment quick.
constexpr int kDigitRowsLow = kBaseBottom - 10, kDigitRowsHigh = kBaseBottom + 10 + kHighestHeight + 10;

// A little optical blur ([1 2 1] both ways) and sensor noise (triangular, -24..24 levels) over
// the digits' rows, the same in every run of the experiment: the generator is seeded per picture.
void degrade(Plane& picture, unsigned seed) {
  static Plane blurred;  // 2.3 MB; the tool is single-threaded
  for (int y = kDigitRowsLow; y <= kDigitRowsHigh; ++y) {
    for (int x = 1; x < kFrameWidth - 1; ++x) {
      for (int c = 0; c < kBytesPerPixel; ++c) {
        const auto at = [&](int dx, int dy) {
          return int(picture.bytes[Plane::offset_unchecked(x + dx, y + dy) + std::size_t(c)]);
        };
        const int sum = at(-1, -1) + 2 * at(0, -1) + at(1, -1) + 2 * at(-1, 0) + 4 * at(0, 0) + 2 * at(1, 0) +
                        at(-1, 1) + 2 * at(0, 1) + at(1, 1);
        blurred.bytes[Plane::offset_unchecked(x, y) + std::size_t(c)] =
            static_cast<std::uint8_t>((sum + 8) / 16);
      }
    }
  }
  std::mt19937 random(seed);
  for (int y = kDigitRowsLow; y <= kDigitRowsHigh; ++y) {
    for (int x = 1; x < kFrameWidth - 1; ++x) {
      const int noise = int(random() % 25) + int(random() % 25) - 24;
      const std::size_t at = Plane::offset_unchecked(x, y);
      const int level = std::clamp(int(blurred.bytes[at + 1]) + noise, 0, 255);
      picture.bytes[at] = picture.bytes[at + 1] = picture.bytes[at + 2] = static_cast<std::uint8_t>(level);
    }
  }
}

// The character of the candidate whose box centre lies in `ink`, or kNoCharacter.
int character_read_in(const CandidateTable& candidates, const tools::InkBox& ink) {
  for (int c = 0; c < candidates.count; ++c) {
    const ShapeRecord& record = candidates.records[static_cast<std::size_t>(c)];
    const int x = (record.x_min + record.x_max) / 2, y = (record.y_min + record.y_max) / 2;
    if (x < ink.x_min || x > ink.x_max || y < ink.y_min || y > ink.y_max) continue;
    return record.character >= '0' && record.character <= '9' ? record.character - '0' : kNoCharacter;
  }
  return kNoCharacter;
}

Tally score(Workspace& workspace, const DigitLook& look) {
  const tools::GlyphRasterizer font(look.font_file);
  Tally tally;
  for (int height = kLowestHeight; height <= kHighestHeight; ++height) {
    for (int condition = 0; condition < kConditionCount; ++condition) {
      workspace.display.fill(tools::kPaperLevel);
      std::array<tools::InkBox, 10> ink{};
      for (int digit = 0; digit < 10; ++digit) {
        ink[std::size_t(digit)] = tools::draw_digit(workspace.display, font, look, char('0' + digit), height,
                                                    kFirstLeft + digit * kSlotWidth, kBaseBottom + digit);
      }
      if (condition == kDegraded) degrade(workspace.display, static_cast<unsigned>(height));
      run_recognition(workspace);
      const std::size_t band = band_of(height);
      for (std::size_t digit = 0; digit < 10; ++digit) {
        const int read = character_read_in(workspace.candidates, ink[digit]);
        const int hit = read == int(digit);
        tally.read[digit][band] += hit;
        tally.tried[digit][band] += 1;
        tally.read_by_condition[digit][std::size_t(condition)] += hit;
        tally.tried_by_condition[digit][std::size_t(condition)] += 1;
        tally.confusion[digit][std::size_t(read)] += 1;
      }
    }
  }
  return tally;
}

double percent(int part, int whole) {
  return whole > 0 ? 100.0 * part / whole : 0.0;
}

struct Trial {
  std::string font_name;
  TemplateRecipe recipe;
  Tally tally;
};

void print_summary_header() {
  std::printf("%-27s %5s %5s | %6s %6s %6s |", "font", "scale", "tmpl", "all %", "clean", "noisy");
  for (const Band& band : kBands) std::printf(" %3d-%-3d", band.low, band.high);
  std::printf(" |");
  for (int digit = 0; digit < 10; ++digit) std::printf("   '%d'", digit);
  std::printf("\n");
}

void print_summary_line(const Trial& trial) {
  const Tally& t = trial.tally;
  std::printf("%-27s %5.2f %3.0fpx | %6.2f %6.2f %6.2f |", trial.font_name.c_str(),
              trial.recipe.look.horizontal_scale, trial.recipe.ink_height,
              percent(t.total_read(), t.total_tried()),
              percent(t.condition_read(kClean), t.condition_tried(kClean)),
              percent(t.condition_read(kDegraded), t.condition_tried(kDegraded)));
  for (std::size_t b = 0; b < kBands.size(); ++b)
    std::printf(" %7.1f", percent(t.band_read(b), t.band_tried(b)));
  std::printf(" |");
  for (int digit = 0; digit < 10; ++digit)
    std::printf(" %5.1f", percent(t.digit_read(digit), t.digit_tried(digit)));
  std::printf("\n");
}

void print_details(const Trial& trial) {
  const Tally& t = trial.tally;
  std::printf("\n%s, scale %.2f, templates %.0f px: rate by digit and height band (%%)\n",
              trial.font_name.c_str(), trial.recipe.look.horizontal_scale, trial.recipe.ink_height);
  std::printf("digit |");
  for (const Band& band : kBands) std::printf(" %3d-%-3d", band.low, band.high);
  std::printf(" |   all\n");
  for (std::size_t digit = 0; digit < 10; ++digit) {
    std::printf("  '%zu' |", digit);
    for (std::size_t b = 0; b < kBands.size(); ++b)
      std::printf(" %7.1f", percent(t.read[digit][b], t.tried[digit][b]));
    std::printf(" | %5.1f\n", percent(t.digit_read(int(digit)), t.digit_tried(int(digit))));
  }
  std::printf("read as:  0    1    2    3    4    5    6    7    8    9 none\n");
  for (std::size_t digit = 0; digit < 10; ++digit) {
    std::printf("  '%zu' ", digit);
    for (const int n : t.confusion[digit]) std::printf(" %4d", n);
    std::printf("\n");
  }
}

}  // namespace

int main() {
  try {
    auto workspace = std::make_unique<Workspace>();
    std::vector<Trial> trials;
    std::printf(
        "Recognition rate of each recipe over its own look: 10 digits x %d heights (%d..%d px) x %d "
        "conditions\n\n",
        kHighestHeight - kLowestHeight + 1, kLowestHeight, kHighestHeight, int(kConditionCount));
    print_summary_header();
    for (const NamedFont& font : kFonts) {
      if (!std::filesystem::exists(font.file)) {
        std::printf("%-27s missing: %s\n", font.name, font.file);
        continue;
      }
      for (const double scale : kHorizontalScales) {
        for (const double height : kTemplateHeights) {
          Trial trial{font.name, {{font.file, scale}, height, kDigitOrder}, {}};
          try {
            workspace->templates = tools::make_templates(*workspace, trial.recipe);
          } catch (const std::exception& error) {
            std::printf("%-27s %5.2f %3.0fpx | no templates: %s\n", font.name, scale, height, error.what());
            continue;
          }
          trial.tally = score(*workspace, trial.recipe.look);
          print_summary_line(trial);
          std::fflush(stdout);
          trials.push_back(std::move(trial));
        }
      }
    }
    if (trials.empty()) return 1;

    const auto best = std::max_element(trials.begin(), trials.end(), [](const Trial& a, const Trial& b) {
      return a.tally.total_read() < b.tally.total_read();
    });
    print_details(*best);

    // Ties between equal distances go to the earlier record; the reversed order shows whether
    // any decision of the best recipe rests on one.
    TemplateRecipe reversed = best->recipe;
    std::reverse(reversed.record_order.begin(), reversed.record_order.end());
    workspace->templates = tools::make_templates(*workspace, reversed);
    std::printf("\nrecords in order 0..9: %d of %d read; in order 9..0: %d\n", best->tally.total_read(),
                best->tally.total_tried(), score(*workspace, reversed.look).total_read());

    const TemplateRecipe shipped = tools::shipped_recipe();
    std::printf("make-patterns ships: %s, scale %.2f, %.0f px, order %.10s\n", shipped.look.font_file.c_str(),
                shipped.look.horizontal_scale, shipped.ink_height, shipped.record_order.data());

    std::printf("\nthe best templates against the other looks (same scale):\n");
    workspace->templates = tools::make_templates(*workspace, best->recipe);
    for (const NamedFont& font : kFonts) {
      if (!std::filesystem::exists(font.file)) continue;
      const Tally tally = score(*workspace, {font.file, best->recipe.look.horizontal_scale});
      std::printf("  %-28s %6.2f %%\n", font.name, percent(tally.total_read(), tally.total_tried()));
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "template-experiment: %s\n", error.what());
    return 1;
  }
}
