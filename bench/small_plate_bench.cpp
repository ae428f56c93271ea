// small_plate_bench: what reading enlarged tiles (plate-read --small-plates) adds, and what it costs.
//
// Sets of rendered pictures, read by the run over the frame alone and with the tiles' judged plates
// added:
//   small     N cluttered 1024 x 768 scenes with one or two plates 40 to 90 px wide, and every
//             tenth scene with none; the first half is the development split (judging rules are
//             chosen on it), the second half is held out.
//   ordinary  accuracy_bench's pictures (one plate 100 to 560 px wide, or none).
// A reported plate is exact when its text is a plate's and its frame's centre lies on that plate's
// serial row, the first time that plate is reported; every other reported plate is wrong (a text
// that is not on the picture there, or the same plate reported twice). Also shown: the plain union
// of every tile reading (each text at each place once), to see what the judging drops.
//
//   usage: small_plate_bench [--pictures N] [--ordinary N] [--scales 2,3] [--grid] [--list] [PATTERN_FILE]
// Where the plate finder is built, the pictures are also read as --find-plates reads them (the
// found plates straightened and read on a sheet, merged with the frame's as the reader merges them).
// --pictures and --ordinary set the sizes of the two sets (200 and 440; accuracy_bench's has 440).
// --grid prints the development split's figures for a range of judging rules; --list prints every
// wrong plate with its picture.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "engine/recognition_engine.h"
#include "present/plate_text.h"
#include "tiling/small_plate_reader.h"
#ifdef PLATE_BENCH_FINDER
#include "finder/found_plate_reading.h"
#endif

namespace {

using plate::PlateReading;
using plate::tools::PlacedPlate;
using plate::tools::Scene;
using plate::tools::SeededGenerator;

// Scene `index` of the small-plate set.
Scene make_small_scene(int index) {
  SeededGenerator generator(0x5A11 + std::uint64_t(index) * 104729);
  Scene scene;
  scene.width = plate::kFrameWidth;
  scene.height = plate::kFrameHeight;
  scene.seed = generator.next();
  scene.blur_sigma_px = plate::bench::pick(generator, std::array<double, 3>{0.0, 0.5, 1.0});
  scene.noise_sigma = plate::bench::pick(generator, std::array<double, 3>{0.0, 3.0, 6.0});
  const auto grey = [&](int low, int high) {
    const auto level = static_cast<std::uint8_t>(low + plate::bench::below(generator, high - low + 1));
    return plate::tools::Rgb{level, level, level};
  };
  scene.background = {plate::tools::BackgroundKind::clutter, grey(150, 240), grey(10, 100),
                      16 + plate::bench::below(generator, 64)};
  if (index % 10 == 9) return scene;
  const int count = 1 + plate::bench::below(generator, 2);
  while (int(scene.plates.size()) < count) {
    PlacedPlate plate;
    plate.serial = plate::bench::random_serial(generator, 1 + plate::bench::below(generator, 4));
    plate.kind = plate::bench::below(generator, 2) == 0 ? plate::tools::PlateKind::private_car
                                                        : plate::tools::PlateKind::kei;
    plate.width_px = 40 + plate::bench::below(generator, 51);
    plate.left_px = 4 + plate::bench::below(generator, scene.width - int(plate.width_px) - 8);
    plate.top_px = 4 + plate::bench::below(generator, scene.height - int(plate.width_px / 2) - 8);
    plate::bench::draw_plate_lettering(generator, plate);
    const bool apart = std::all_of(scene.plates.begin(), scene.plates.end(), [&](const PlacedPlate& other) {
      return plate.left_px > other.left_px + other.width_px + 20 ||
             other.left_px > plate.left_px + plate.width_px + 20 ||
             plate.top_px > other.top_px + other.width_px / 2 + 20 ||
             other.top_px > plate.top_px + plate.width_px / 2 + 20;
    });
    if (apart) scene.plates.push_back(plate);
  }
  return scene;
}

struct Score {
  int plates = 0;
  int exact = 0;
  int wrong = 0;
  void add(const Score& other) {
    plates += other.plates;
    exact += other.exact;
    wrong += other.wrong;
  }
};

Score score(const std::vector<PlateReading>& reported, const Scene& scene,
            std::vector<std::string>* wrong_texts) {
  Score s;
  s.plates = int(scene.plates.size());
  std::vector<bool> found(scene.plates.size(), false);
  for (const PlateReading& r : reported) {
    const double x = (r.plate.frame.x_min + r.plate.frame.x_max) / 2.0;
    const double y = (r.plate.frame.y_min + r.plate.frame.y_max) / 2.0;
    bool exact = false;
    for (std::size_t p = 0; p < scene.plates.size() && !exact; ++p) {
      if (found[p] || !plate::bench::on_serial_row(x, y, scene.plates[p])) continue;
      if (r.plate.text == plate::tools::expected_plate_text(scene.plates[p].serial)) exact = found[p] = true;
    }
    s.exact += exact;
    s.wrong += !exact;
    if (!exact && wrong_texts)
      wrong_texts->push_back(
          plate::plate_text_to_utf8(r.plate.text) + " (x" + std::to_string(r.scale) + ", worst " +
          std::to_string(r.plate.worst_distance) + ") at x " + std::to_string(r.plate.frame.x_min) + ".." +
          std::to_string(r.plate.frame.x_max) + ", row " + std::to_string(767 - r.plate.frame.y_max) + ".." +
          std::to_string(767 - r.plate.frame.y_min));
  }
  return s;
}

// Each text at each place once: the plain union of the frame's plates and the tiles'.
std::vector<PlateReading> plain_union(const std::vector<PlateReading>& frame_plates,
                                      const std::vector<PlateReading>& tile_readings) {
  std::vector<PlateReading> all = frame_plates;
  for (const PlateReading& r : tile_readings) {
    const bool seen = std::any_of(all.begin(), all.end(), [&](const PlateReading& a) {
      return a.plate.text == r.plate.text &&
             std::max(a.plate.frame.x_min, r.plate.frame.x_min) <=
                 std::min(a.plate.frame.x_max, r.plate.frame.x_max) &&
             std::max(a.plate.frame.y_min, r.plate.frame.y_min) <=
                 std::min(a.plate.frame.y_max, r.plate.frame.y_max);
    });
    if (!seen) all.push_back(r);
  }
  return all;
}

struct Picture {
  Scene scene;
  std::vector<PlateReading> frame_plates;
  std::vector<plate::SeenDigit> frame_digits;
  plate::TileReadings tile_readings;
  std::vector<PlateReading> finder_plates;  // as --find-plates reports them
  double frame_ms = 0;
  double tiles_ms = 0;
  double finder_ms = 0;
};

std::vector<PlateReading> with_judged(const Picture& p, const plate::JudgingRules& rules) {
  std::vector<PlateReading> all = p.frame_plates;
  for (PlateReading& r : plate::judge_tile_readings(p.frame_plates, p.frame_digits, p.tile_readings, rules))
    all.push_back(std::move(r));
  return all;
}

struct Totals {
  Score alone, judged, united, finder;
  double frame_ms = 0, tiles_ms = 0, finder_ms = 0;
  int pictures = 0;
};

Totals total(const std::vector<Picture>& pictures, std::size_t first, std::size_t end,
             const plate::JudgingRules& rules, bool list) {
  Totals t;
  for (std::size_t i = first; i < end; ++i) {
    const Picture& p = pictures[i];
    std::vector<std::string> wrong;
    t.alone.add(score(p.frame_plates, p.scene, nullptr));
    t.judged.add(score(with_judged(p, rules), p.scene, list ? &wrong : nullptr));
    t.united.add(score(plain_union(p.frame_plates, p.tile_readings.plates), p.scene, nullptr));
    t.finder.add(score(p.finder_plates, p.scene, nullptr));
    t.frame_ms += p.frame_ms;
    t.tiles_ms += p.tiles_ms;
    t.finder_ms += p.finder_ms;
    ++t.pictures;
    std::string plates;
    for (const PlacedPlate& placed : p.scene.plates)
      plates += " " + placed.serial + (placed.kind == plate::tools::PlateKind::kei ? " kei " : " private ") +
                std::to_string(int(placed.width_px)) + " px at " + std::to_string(int(placed.left_px)) + "," +
                std::to_string(int(placed.top_px)) + ";";
    for (const std::string& w : wrong)
      std::printf("  wrong on picture %zu: %s; plates:%s\n", i, w.c_str(), plates.c_str());
  }
  return t;
}

void print_totals(const char* label, const Totals& t) {
  std::printf("%s (%d pictures, %d plates)\n", label, t.pictures, t.alone.plates);
  std::printf("  %-28s exact %4d  wrong %4d  missed %4d  %7.1f ms a picture\n", "frame alone", t.alone.exact,
              t.alone.wrong, t.alone.plates - t.alone.exact, t.frame_ms / t.pictures);
  std::printf("  %-28s exact %4d  wrong %4d  missed %4d  %7.1f ms a picture\n", "with tiles, judged",
              t.judged.exact, t.judged.wrong, t.judged.plates - t.judged.exact,
              (t.frame_ms + t.tiles_ms) / t.pictures);
  std::printf("  %-28s exact %4d  wrong %4d  missed %4d\n", "with tiles, plain union", t.united.exact,
              t.united.wrong, t.united.plates - t.united.exact);
#ifdef PLATE_BENCH_FINDER
  std::printf("  %-28s exact %4d  wrong %4d  missed %4d  %7.1f ms a picture\n", "--find-plates",
              t.finder.exact, t.finder.wrong, t.finder.plates - t.finder.exact,
              (t.frame_ms + t.finder_ms) / t.pictures);
#endif
}

std::vector<int> parse_scales(const std::string& text) {
  std::vector<int> scales;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    scales.push_back(std::stoi(text.substr(start, comma - start)));
    start = comma + 1;
  }
  return scales;
}

}  // namespace

int main(int argc, char** argv) {
  int small_count = 200;
  int ordinary_count = 440;
  bool grid = false;
  bool list = false;
  plate::SmallPlateSettings settings;
  std::filesystem::path pattern_file = std::filesystem::path(PLATE_SOURCE_DIR) / "data" / "EBMPlog00.pat";
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--pictures" && i + 1 < argc)
      small_count = std::stoi(argv[++i]);
    else if (argument == "--ordinary" && i + 1 < argc)
      ordinary_count = std::stoi(argv[++i]);
    else if (argument == "--scales" && i + 1 < argc)
      settings.scales = parse_scales(argv[++i]);
    else if (argument == "--grid")
      grid = true;
    else if (argument == "--list")
      list = true;
    else
      pattern_file = argument;
  }

  plate::RecognitionEngine engine;
  if (const plate::TemplateLoadOutcome loaded = engine.load_templates(pattern_file); !loaded.loaded()) {
    std::fprintf(stderr, "%s: cannot load the templates\n", pattern_file.string().c_str());
    return 1;
  }
  plate::SmallPlateReader small(engine.templates(), settings);
  const plate::tools::PlateFonts fonts = plate::tools::load_plate_fonts();
  auto frame = std::make_unique<plate::Plane>();
#ifdef PLATE_BENCH_FINDER
  plate::RecognitionEngine sheet_engine;
  sheet_engine.use_templates(engine.templates());
  auto sheet = std::make_unique<plate::Plane>();
#endif

  const auto read_set = [&](int count, auto make) {
    std::vector<Picture> pictures;
    for (int index = 0; index < count; ++index) {
      Picture p{make(index), {}, {}, {}, {}, 0, 0, 0};
      plate::tools::render_scene(p.scene, fonts, *frame);
      const auto start = std::chrono::steady_clock::now();
      const plate::RunResult& result = engine.run(*frame);
      p.frame_plates = plate::plates_of_run(result, plate::Tile{});
      p.frame_digits = plate::digits_of_run(result, plate::Tile{});
      const auto middle = std::chrono::steady_clock::now();
      p.tile_readings = small.tile_readings(*frame, p.scene.width, p.scene.height);
      const auto end = std::chrono::steady_clock::now();
      p.frame_ms = std::chrono::duration<double, std::milli>(middle - start).count();
      p.tiles_ms = std::chrono::duration<double, std::milli>(end - middle).count();
#ifdef PLATE_BENCH_FINDER
      const plate::PictureSize size{p.scene.width, p.scene.height};
      const std::vector<plate::FoundPlateReading> found =
          plate::read_found_plates(sheet_engine, *frame, {size, size}, *sheet);
      for (const plate::FoundPlateReading& r : found) p.finder_plates.push_back({r.plate, 1});
      for (const PlateReading& r : p.frame_plates)
        if (plate::keeps_frame_plate(found, r.plate.frame, r.plate.worst_distance, r.plate.text))
          p.finder_plates.push_back(r);
      p.finder_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - end).count();
#endif
      pictures.push_back(std::move(p));
    }
    return pictures;
  };

  std::printf("scales:");
  for (const int s : settings.scales) std::printf(" %d", s);
  const plate::JudgingRules& rules = settings.rules;
  std::printf("; rules: fewest digits %d (%d at one scale), worst distance %d at one scale, %d agreed\n",
              rules.fewest_digits, rules.fewest_digits_one_scale, rules.worst_distance_one_scale,
              rules.worst_distance_agreed);

  const std::vector<Picture> smalls = read_set(small_count, make_small_scene);
  const std::size_t half = smalls.size() / 2;
  if (grid) {
    std::printf(
        "development split by rules (fewest digits, at one scale, one-scale limit, agreed limit): exact "
        "wrong\n");
    for (int digits = 1; digits <= 2; ++digits)
      for (int one_digits = digits; one_digits <= 3; ++one_digits)
        for (int one = 14; one <= 26; one += 3)
          for (int agreed = one; agreed <= 29; agreed += 3) {
            const Totals t =
                total(smalls, 0, half, plate::JudgingRules{digits, one_digits, one, agreed}, false);
            std::printf("  %d %d %2d %2d: %4d %4d\n", digits, one_digits, one, agreed, t.judged.exact,
                        t.judged.wrong);
          }
  }
  if (!smalls.empty()) {
    print_totals("small plates, development split", total(smalls, 0, half, rules, list));
    print_totals("small plates, held-out split", total(smalls, half, smalls.size(), rules, list));
  }

  const std::vector<Picture> ordinary = read_set(
      ordinary_count, [](int index) { return plate::bench::make_accuracy_scene(index, index < 400); });
  if (!ordinary.empty())
    print_totals("ordinary plates (accuracy_bench's pictures)",
                 total(ordinary, 0, ordinary.size(), rules, list));
  return 0;
}
