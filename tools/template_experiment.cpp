// template-experiment: which recipe makes the templates that read real plate digits best. Run it
// without arguments from anywhere; it reads the real shapes from ../shared beside the project and
// prints its tables to standard output (about a minute on one core).
//
// Plan.
//  1. The real shapes are split by source into two halves (real_shapes.h): recipes are chosen on
//     the first and checked on the second, so the choice does not fit the noise of one half.
//  2. Every option for a digit's template is made once: the digit drawn in the plate's
//     construction at several heights and stroke widths, three typefaces near the plate's shapes,
//     and the three real outlines of the first half that lie nearest to the others of their digit
//     (their medoids, 60 px).
//  3. Starting from the ten drawn digits, each digit in turn takes the option that raises the
//     score on the first half (right - 3 x wrong); rounds repeat until nothing changes. The
//     search runs over drawn digits and typefaces only, and with the real outlines too (from the
//     drawn digits and from the first search's end; the better on the first half is kept).
//  4. Every recipe in the table is also scored on digits of other Debian typefaces drawn in the
//     plate cell (squeezed so that a '0' is half as wide as tall, like a plate digit), 30 to 90 px,
//     blurred, with noise and turned by -4, 0 and +4 degrees: a recipe that reads real digits but
//     loses these fits one set only.
//
// Rejected: choosing each digit's template on its own digit's shapes. Matching picks the nearest of
// ten, so a template is only as good as it keeps the other nine digits away; the score of the
// whole table decides each step.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/matching.h"
#include "engine/recognition.h"
#include "tools/pattern_maker.h"
#include "tools/real_shapes.h"

namespace {

using namespace plate;
using tools::DigitRecipe;
using tools::LabelledShape;
using tools::OutlineSource;
using tools::TemplateRecipe;
using Shapes = std::vector<const LabelledShape*>;

struct Option {
  DigitRecipe recipe;
  ShapeRecord record;
};

constexpr std::array<const char*, 3> kRecipeFonts = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "/usr/share/fonts/fonts-go/Go-Bold.ttf",
    "/usr/share/fonts/truetype/noto/NotoSans-Bold.ttf",
};
constexpr const char* kFirstShippedFont =
    "/usr/share/fonts/truetype/roboto/unhinted/RobotoCondensed-Bold.ttf";

// Typefaces for the check, none of them an option of the search.
constexpr std::array<const char*, 24> kCheckFonts = {
    "/usr/share/fonts/truetype/croscore/Arimo-Bold.ttf",
    "/usr/share/fonts/truetype/croscore/Tinos-Bold.ttf",
    "/usr/share/fonts/truetype/croscore/Cousine-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSerifCondensed-Bold.ttf",
    "/usr/share/fonts/truetype/firacode/FiraCode-Bold.ttf",
    "/usr/share/fonts/truetype/freefont/FreeSansBold.ttf",
    "/usr/share/fonts/truetype/freefont/FreeSerifBold.ttf",
    "/usr/share/fonts/truetype/hack/Hack-Bold.ttf",
    "/usr/share/fonts/truetype/lato/Lato-Bold.ttf",
    "/usr/share/fonts/truetype/lato/Lato-Black.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
    "/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf",
    "/usr/share/fonts/truetype/noto/NotoSerif-Bold.ttf",
    "/usr/share/fonts/truetype/noto/NotoSansDisplay-Bold.ttf",
    "/usr/share/fonts/truetype/open-sans/OpenSans-Bold.ttf",
    "/usr/share/fonts/truetype/open-sans/OpenSans-CondBold.ttf",
    "/usr/share/fonts/opentype/cantarell/Cantarell-Bold.otf",
    "/usr/share/fonts/opentype/urw-base35/NimbusSans-Bold.otf",
    "/usr/share/fonts/opentype/urw-base35/NimbusSansNarrow-Bold.otf",
    "/usr/share/fonts/opentype/urw-base35/C059-Bold.otf",
    "/usr/share/fonts/opentype/urw-base35/P052-Bold.otf",
    "/usr/share/fonts/opentype/urw-base35/NimbusRoman-Bold.otf",
};
constexpr std::array<int, 4> kCheckHeights = {30, 45, 60, 90};
constexpr std::array<double, 3> kCheckTurns = {-4.0, 0.0, 4.0};

// --- the check set: other typefaces in the plate cell, blurred, noisy and turned ---

// The glyph turned by `degrees` about its centre (bilinear), on a canvas large enough to hold it.
tools::GlyphBitmap turned(const tools::GlyphBitmap& glyph, double degrees) {
  if (degrees == 0.0) return glyph;
  const double a = degrees * 3.14159265358979 / 180.0, c = std::cos(a), s = std::sin(a);
  const int side = static_cast<int>(std::ceil(std::hypot(glyph.width, glyph.height))) + 2;
  tools::GlyphBitmap out;
  out.width = out.height = side;
  out.coverage.assign(std::size_t(side) * std::size_t(side), 0);
  const double gx = glyph.width / 2.0, gy = glyph.height / 2.0, o = side / 2.0;
  const auto at = [&](int x, int y) {
    return x < 0 || y < 0 || x >= glyph.width || y >= glyph.height ? 0.0 : double(glyph.at(x, y));
  };
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const double dx = x + 0.5 - o, dy = y + 0.5 - o;
      const double sx = c * dx - s * dy + gx - 0.5, sy = s * dx + c * dy + gy - 0.5;
      const int x0 = int(std::floor(sx)), y0 = int(std::floor(sy));
      const double fx = sx - x0, fy = sy - y0;
      const double v = at(x0, y0) * (1 - fx) * (1 - fy) + at(x0 + 1, y0) * fx * (1 - fy) +
                       at(x0, y0 + 1) * (1 - fx) * fy + at(x0 + 1, y0 + 1) * fx * fy;
      out.coverage[std::size_t(y) * std::size_t(side) + std::size_t(x)] =
          static_cast<std::uint8_t>(std::lround(v));
    }
  }
  return out;
}

// A [1 2 1] blur both ways and triangular noise of -24..24 levels over rows low..high.
void degrade(Plane& picture, int low, int high, unsigned seed) {
  static Plane blurred;  // 2.3 MB; the tool is single-threaded
  for (int y = low; y <= high; ++y) {
    for (int x = 1; x < kFrameWidth - 1; ++x) {
      const auto at = [&](int dx, int dy) { return int(picture.green_unchecked(x + dx, y + dy)); };
      const int sum = at(-1, -1) + 2 * at(0, -1) + at(1, -1) + 2 * at(-1, 0) + 4 * at(0, 0) + 2 * at(1, 0) +
                      at(-1, 1) + 2 * at(0, 1) + at(1, 1);
      blurred.bytes[Plane::offset_unchecked(x, y) + 1] = static_cast<std::uint8_t>((sum + 8) / 16);
    }
  }
  std::mt19937 random(seed);
  for (int y = low; y <= high; ++y) {
    for (int x = 1; x < kFrameWidth - 1; ++x) {
      const int noise = int(random() % 25) + int(random() % 25) - 24;
      const std::size_t at = Plane::offset_unchecked(x, y);
      const auto level = static_cast<std::uint8_t>(std::clamp(int(blurred.bytes[at + 1]) + noise, 0, 255));
      picture.bytes[at] = picture.bytes[at + 1] = picture.bytes[at + 2] = level;
    }
  }
}

// Every digit of every check typeface, traced as a run traces candidates; shapes that no single
// candidate covers are left out (the matcher never sees them).
std::vector<LabelledShape> check_shapes(Workspace& workspace) {
  std::vector<LabelledShape> shapes;
  int fonts = 0;
  for (const char* file : kCheckFonts) {
    if (!std::filesystem::exists(file)) {
      std::printf("  check typeface missing: %s\n", file);
      continue;
    }
    ++fonts;
    const tools::GlyphRasterizer font(file);
    for (const int height : kCheckHeights) {
      // Squeezed so that the '0' is half as wide as tall, as in the plate's 40 x 80 mm cell.
      const double scale = height / 2.0 / font.render(U'0', height, tools::HeightBasis::ink).width;
      for (const double turn : kCheckTurns) {
        workspace.display.fill(tools::kPaperLevel);
        constexpr int kBottom = 300, kSlot = 100;
        for (int d = 0; d < 10; ++d) {
          const auto glyph =
              turned(font.render(char32_t('0' + d), height, tools::HeightBasis::ink, scale), turn);
          tools::stamp_digit(workspace.display, glyph, 20 + d * kSlot, kBottom + d);
        }
        degrade(workspace.display, kBottom - 20, kBottom + 140,
                unsigned(height * 7 + int(turn) + 100 * fonts));
        run_recognition(workspace);
        for (int c = 0; c < workspace.candidates.count; ++c) {
          const ShapeRecord& record = workspace.candidates.records[std::size_t(c)];
          const int d = (record.x_min + record.x_max) / 2 / kSlot;
          const int centre = (record.x_min + record.x_max) / 2 - 20 - d * kSlot;
          if (d < 0 || d > 9 || centre < 0 || centre > height + 20) continue;
          LabelledShape shape;
          shape.digit = char('0' + d);
          shape.source = std::filesystem::path(file).stem().string();
          shape.height = height;
          shape.record = record;
          shape.record.character = 0;
          shapes.push_back(std::move(shape));
        }
      }
    }
  }
  std::printf("  %zu check outlines from %d typefaces\n", shapes.size(), fonts);
  return shapes;
}

// --- the options and the search ---

std::vector<std::vector<Option>> make_options(Workspace& workspace, const std::vector<LabelledShape>& real,
                                              const Shapes& first_half) {
  std::vector<std::vector<Option>> options(10);
  for (int d = 0; d < 10; ++d) {
    const char digit = char('0' + d);
    std::vector<DigitRecipe> recipes;
    for (const double height : {45.0, 60.0, 90.0})
      for (const double stroke : {11.0, 12.0, 13.0}) {
        DigitRecipe r;
        r.digit = digit;
        r.source = OutlineSource::drawn;
        r.height = height;
        r.stroke_mm = stroke;
        recipes.push_back(r);
      }
    for (const char* font : kRecipeFonts) {
      if (!std::filesystem::exists(font)) continue;
      DigitRecipe r;
      r.digit = digit;
      r.source = OutlineSource::font;
      r.file = font;
      r.horizontal_scale = 0.75;
      r.height = 60;
      recipes.push_back(r);
    }
    for (const DigitRecipe& r : recipes)
      options[std::size_t(d)].push_back({r, tools::make_template(workspace, r)});

    // The real medoids: the outlines of the first half at 60 px nearest on average to the others.
    std::vector<const LabelledShape*> same;
    for (const LabelledShape* s : first_half)
      if (s->digit == digit && s->height == 60) same.push_back(s);
    std::vector<std::pair<long, const LabelledShape*>> ranked;
    for (const LabelledShape* s : same) {
      long sum = 0;
      for (const LabelledShape* other : same) sum += signature_distance(s->record, other->record).distance;
      ranked.emplace_back(sum, s);
    }
    std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 0; k < ranked.size() && k < 3; ++k) {
      DigitRecipe r;
      r.digit = digit;
      r.source = OutlineSource::real;
      r.file = "../../shared/real-digits/dev-shapes.jsonl";  // as the shipped recipe names it
      r.source_id = ranked[k].second->source;
      r.height = 60;
      options[std::size_t(d)].push_back({r, tools::template_from_shape(*ranked[k].second)});
    }
  }
  (void)real;
  return options;
}

struct Chosen {
  std::array<std::size_t, 10> pick{};  // option index per digit
};

TemplateTable table_of(const std::vector<std::vector<Option>>& options, const Chosen& chosen) {
  TemplateTable table{};
  for (std::size_t d = 0; d < 10; ++d) table[d] = options[d][chosen.pick[d]].record;
  return table;
}

Chosen search(const std::vector<std::vector<Option>>& options, const Shapes& on, Chosen start,
              bool with_real) {
  int best = tools::score_shapes(table_of(options, start), on).all.score();
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t d = 0; d < 10; ++d) {
      for (std::size_t k = 0; k < options[d].size(); ++k) {
        if (!with_real && options[d][k].recipe.source == OutlineSource::real) continue;
        Chosen trial = start;
        trial.pick[d] = k;
        const int score = tools::score_shapes(table_of(options, trial), on).all.score();
        if (score > best) {
          best = score;
          start = trial;
          changed = true;
        }
      }
    }
  }
  return start;
}

void print_row(const char* name, const TemplateTable& table, const Shapes& first, const Shapes& second,
               const Shapes& check) {
  const auto cell = [&](const Shapes& shapes) {
    const tools::Counts c = tools::score_shapes(table, shapes).all;
    std::printf(" | %5.1f %4.1f %5d", 100.0 * c.right / c.total(), 100.0 * c.wrong / c.total(), c.score());
  };
  std::printf("%-34s", name);
  cell(first);
  cell(second);
  cell(check);
  std::printf("\n");
}

Shapes all_of(const std::vector<LabelledShape>& shapes) {
  Shapes out;
  for (const LabelledShape& s : shapes) out.push_back(&s);
  return out;
}

TemplateTable font_table(Workspace& workspace, const char* font, double scale) {
  TemplateRecipe recipe{};
  for (std::size_t d = 0; d < 10; ++d) {
    recipe[d].digit = char('0' + 9 - int(d));  // the first shipped file's order, 9 to 0
    recipe[d].source = OutlineSource::font;
    recipe[d].file = font;
    recipe[d].horizontal_scale = scale;
    recipe[d].height = 60;
  }
  return tools::make_templates(workspace, recipe);
}

}  // namespace

int main() {
  try {
    auto workspace = std::make_unique<Workspace>();
    std::printf("reading %s\n", tools::default_shape_file().c_str());
    const std::vector<LabelledShape> real = tools::read_shape_file(tools::default_shape_file());
    const Shapes first = tools::half_of(real, tools::Half::first);
    const Shapes second = tools::half_of(real, tools::Half::second);
    std::printf("making the check set\n");
    const std::vector<LabelledShape> check_set = check_shapes(*workspace);
    const Shapes check = all_of(check_set);
    std::printf("making the options\n");
    const auto options = make_options(*workspace, real, first);

    Chosen drawn{};  // option 4: drawn, 60 px, 12 mm strokes
    drawn.pick.fill(4);
    const Chosen without_real = search(options, first, drawn, false);
    // Each step keeps only a strict gain, so the end depends on the start: both starts are tried.
    const Chosen from_drawn = search(options, first, drawn, true);
    const Chosen from_fonts = search(options, first, without_real, true);
    const auto first_score = [&](const Chosen& c) {
      return tools::score_shapes(table_of(options, c), first).all.score();
    };
    const Chosen with_real = first_score(from_drawn) >= first_score(from_fonts) ? from_drawn : from_fonts;

    std::printf(
        "\nright %%, wrong %%, score (right - 3 x wrong) on: the first half of the real shapes (%zu, chosen "
        "on), the second half (%zu, held back from the choice), other typefaces (%zu)\n",
        first.size(), second.size(), check.size());
    std::printf("%-34s | %-16s | %-16s | %-16s\n", "templates", "real, 1st half", "real, 2nd half",
                "typefaces");
    if (std::filesystem::exists(kFirstShippedFont))
      print_row("Roboto Cond. Bold 80 % (first file)", font_table(*workspace, kFirstShippedFont, 0.8), first,
                second, check);
    if (std::filesystem::exists(kRecipeFonts[0]))
      print_row("DejaVu Sans Cond. Bold 75 %", font_table(*workspace, kRecipeFonts[0], 0.75), first, second,
                check);
    print_row("drawn, 60 px, 12 mm", table_of(options, drawn), first, second, check);
    print_row("search: drawn and typefaces", table_of(options, without_real), first, second, check);
    print_row("search: also real outlines", table_of(options, with_real), first, second, check);

    for (const auto& [name, chosen] :
         {std::pair{"drawn and typefaces", without_real}, {"also real outlines", with_real}}) {
      std::printf("\nrecipe of the search over %s:\n", name);
      for (std::size_t d = 0; d < 10; ++d)
        std::printf("%s\n", tools::recipe_line(options[d][chosen.pick[d]].recipe).c_str());
    }
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "template-experiment: %s\n", error.what());
    return 1;
  }
}
