// accuracy_bench: how many rendered plates a recognition run reads, and why the others are not.
//
// It renders a fixed, seeded set of pictures, one plate each, varied in digit count (1 to 4),
// kind (private, kei), plate width, picture size, position, background, blur and noise, plus
// pictures with no plate at all, and reads every one with the engine exactly as the reader does.
// The digits are drawn as the shipped templates have them (tools/digit_shapes.h), whatever
// PATTERN_FILE is read with: the pictures show plates as the shipped templates were chosen for.
// A plate counts as read when a plate that the run accepted has the plate's text and its frame's
// centre lies on the plate's serial row. Every other accepted plate is counted where it lies: on
// the serial row (a misread), elsewhere on the plate (the upper row read as a plate), or off it.
//
// For a plate that is not read it finds the first stage that lost it, using the engine's own
// stages rather than a copy of their rules:
//   1. a serial digit that no candidate covers (seed scan and acceptance), or whose candidate got
//      no character or another one (matching);
//   2. serial digits that grouping did not put into one group of their own: the bench rebuilds the
//      run's groups from the candidate table with the engine's grouping;
//   3. otherwise plate interpretation refused the group: the bench interprets that group alone and
//      takes its diagnostic line ("no line" when the frame left the picture). A group that passes
//      alone was refused only because an earlier group's traces had marked its dots or hyphen.
//
// The figures are for the project's notes; nothing here is a test with a pass mark.
//   usage: accuracy_bench [--list] [PATTERN_FILE]
// --list also prints one line for every plate not read and every false report, with the scene.

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench_scenes.h"
#include "engine/grouping.h"
#include "engine/plate_interpretation.h"
#include "engine/recognition.h"
#include "engine/run_plates.h"
#include "present/outcome_messages.h"
#include "present/plate_text.h"

namespace {

using plate::tools::PlacedPlate;
using plate::tools::Scene;

using plate::bench::kAccuracyBlurs;
using plate::bench::kAccuracyNoises;

constexpr int kPlatePictures = 400;
constexpr int kEmptyPictures = 40;

struct Tally {
  int read = 0;
  int total = 0;
  void add(bool was_read) {
    read += was_read;
    ++total;
  }
};

void print_tally(const std::string& label, const Tally& tally) {
  std::printf("  %-18s %4d / %4d  %5.1f %%\n", label.c_str(), tally.read, tally.total,
              tally.total == 0 ? 0.0 : 100.0 * tally.read / tally.total);
}

// Picture coordinates (rows top-down) of a plane point.
double picture_row(double plane_y) {
  return plate::kFrameHeight - 1 - plane_y;
}

// Where an accepted plate's frame centre lies.
enum class Place { on_serial, elsewhere_on_plate, off_plate };

Place place_of(const plate::GroupEntry& group, const PlacedPlate* plate) {
  if (plate == nullptr) return Place::off_plate;
  const double x = (group.x_min + group.x_max) / 2.0;
  const double y = (group.y_min + group.y_max) / 2.0;
  if (plate::bench::on_serial_row(x, y, *plate)) return Place::on_serial;
  return plate::bench::on_plate(x, y, *plate) ? Place::elsewhere_on_plate : Place::off_plate;
}

struct Reading {
  bool exact = false;
  std::vector<std::string> misreads;   // accepted on the serial with another text
  std::vector<std::string> on_plate;   // accepted elsewhere on the plate (the upper row)
  std::vector<std::string> off_plate;  // accepted where there is no plate
};

Reading judge(const plate::RunResult& result, const PlacedPlate* plate) {
  Reading reading;
  for (const plate::RunPlate& found : plate::plates_in_dialog_order(result)) {
    const plate::GroupEntry& group = result.groups[std::size_t(found.group_id)];
    const Place place = place_of(group, plate);
    if (place == Place::on_serial && group.text == plate::tools::expected_plate_text(plate->serial)) {
      reading.exact = true;
      continue;
    }
    const std::string text = plate::plate_text_to_utf8(found.text) + " at x " + std::to_string(group.x_min) +
                             ".." + std::to_string(group.x_max) + ", y " + std::to_string(group.y_min) +
                             ".." + std::to_string(group.y_max);
    (place == Place::on_serial            ? reading.misreads
     : place == Place::elsewhere_on_plate ? reading.on_plate
                                          : reading.off_plate)
        .push_back(text);
  }
  return reading;
}

// The candidate whose box centre lies in the cell of serial position `position`, or -1.
int candidate_in_cell(const plate::CandidateTable& candidates, const PlacedPlate& plate, int position) {
  const plate::tools::PixelBox cell = plate::tools::serial_cell(plate, position);
  for (int c = 0; c < candidates.count; ++c) {
    const plate::ShapeRecord& record = candidates.records[std::size_t(c)];
    if (cell.contains((record.x_min + record.x_max) / 2.0, picture_row((record.y_min + record.y_max) / 2.0)))
      return c;
  }
  return -1;
}

// Why the run did not read `plate`; the workspace holds that run and is used as scratch.
std::string diagnose(plate::Workspace& workspace, const PlacedPlate& plate) {
  const int digits = int(plate.serial.size());
  std::vector<int> serial_candidates;
  for (int i = 0; i < digits; ++i) {
    const int position = 4 - digits + i;
    const int c = candidate_in_cell(workspace.candidates, plate, position);
    if (c < 0) return "serial digit not a candidate";
    const std::uint8_t character = workspace.candidates.records[std::size_t(c)].character;
    if (character == 0) return "serial digit not matched";
    if (character != std::uint8_t(plate.serial[std::size_t(i)])) return "serial digit misread";
    serial_candidates.push_back(c);
  }

  // The groups as the run had them before interpretation withdrew any.
  plate::RunResult& result = workspace.result;
  plate::build_character_list(workspace.candidates, result.characters);
  plate::group_characters(result);
  plate::sort_characters(result.characters);
  const auto entries = result.characters.entries.begin();
  const auto end = entries + result.characters.count;
  const auto first = std::find_if(entries, end, [&](const plate::CharacterEntry& e) {
    return e.candidate_index == serial_candidates.front();
  });
  const std::int32_t group_id = first->group_id;
  const auto group_end =
      std::find_if(first, end, [&](const plate::CharacterEntry& e) { return e.group_id != group_id; });
  const bool serial_alone =
      first == std::find_if(entries, end,
                            [&](const plate::CharacterEntry& e) { return e.group_id == group_id; }) &&
      group_end - first == digits && std::all_of(first, group_end, [&](const plate::CharacterEntry& e) {
        return std::find(serial_candidates.begin(), serial_candidates.end(), e.candidate_index) !=
               serial_candidates.end();
      });
  if (!serial_alone) {
    const bool one_group = std::all_of(entries, end, [&](const plate::CharacterEntry& e) {
      return e.group_id == group_id || std::find(serial_candidates.begin(), serial_candidates.end(),
                                                 e.candidate_index) == serial_candidates.end();
    });
    return one_group ? "serial group joined by other digits" : "serial digits split over groups";
  }

  // Interpretation of that group alone, from clean trace marks.
  std::copy(first, group_end, entries);
  result.characters.count = digits;
  workspace.trace_marks.clear_all();
  result.log.clear();
  plate::interpret_plates(workspace);
  if (result.groups[std::size_t(group_id)].digit_count != 0) return "passes alone; marks of an earlier group";
  std::string line(result.log.view());
  if (line.empty()) return "frame leaves the picture (no line)";
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

std::string describe(int index, const Scene& scene) {
  constexpr std::array<const char*, 3> kBackgrounds{"uniform", "gradient", "clutter"};
  const plate::tools::Rgb& first = scene.background.first;
  char text[200];
  std::snprintf(text, sizeof text, "#%d %dx%d %s(%d,%d,%d) blur %.1f noise %.0f", index, scene.width,
                scene.height, kBackgrounds[std::size_t(scene.background.kind)], first.red, first.green,
                first.blue, scene.blur_sigma_px, scene.noise_sigma);
  std::string description = text;
  for (const PlacedPlate& plate : scene.plates) {
    std::snprintf(text, sizeof text, " | %s %s width %.0f at %.0f,%.0f", plate.serial.c_str(),
                  plate.kind == plate::tools::PlateKind::kei ? "kei" : "private", plate.width_px,
                  plate.left_px, plate.top_px);
    description += text;
  }
  return description;
}

std::size_t index_of(const std::array<double, 4>& values, double value) {
  return std::size_t(std::find(values.begin(), values.end(), value) - values.begin());
}

int width_bucket(double width_px) {
  constexpr std::array<int, 4> kBounds{160, 220, 300, 400};
  return int(std::upper_bound(kBounds.begin(), kBounds.end(), int(width_px)) - kBounds.begin());
}

}  // namespace

int main(int argc, char** argv) {
  const bool list = argc > 1 && std::string_view(argv[1]) == "--list";
  const int first_argument = list ? 2 : 1;
  const std::filesystem::path pattern_file =
      argc > first_argument ? std::filesystem::path(argv[first_argument])
                            : std::filesystem::path(PLATE_SOURCE_DIR) / "data" / plate::kPatternFileName;
  auto workspace = std::make_unique<plate::Workspace>();
  if (const plate::TemplateLoadOutcome loaded = plate::load_template_file(workspace->templates, pattern_file);
      !loaded.loaded()) {
    std::fprintf(stderr, "%s: %s\n", pattern_file.string().c_str(), plate::describe(loaded).c_str());
    return 1;
  }
  const plate::tools::PlateFonts fonts = plate::tools::load_plate_fonts();

  Tally all;
  std::array<Tally, 4> by_digits;
  std::array<Tally, 5> by_width;
  std::array<Tally, 5> by_width_three_four;  // the counts whose dot or hyphen search is not the limit
  std::array<Tally, 2> by_kind;
  std::array<Tally, 4> by_blur;
  std::array<Tally, 4> by_noise;
  std::map<std::string, std::array<int, 8>> reasons;  // by digit count, then private / kei
  int misreads = 0;
  int false_on_plate = 0;
  int false_off_plate = 0;

  for (int index = 0; index < kPlatePictures + kEmptyPictures; ++index) {
    const bool with_plate = index < kPlatePictures;
    const Scene scene = plate::bench::make_accuracy_scene(index, with_plate);
    plate::tools::render_scene(scene, fonts, workspace->display);
    plate::run_recognition(*workspace);
    const PlacedPlate* plate = with_plate ? &scene.plates.front() : nullptr;
    const Reading reading = judge(workspace->result, plate);
    if (list) {
      for (const std::string& report : reading.misreads)
        std::printf("misread as %s: %s\n", report.c_str(), describe(index, scene).c_str());
      for (const std::string& report : reading.on_plate)
        std::printf("upper row read as %s: %s\n", report.c_str(), describe(index, scene).c_str());
      for (const std::string& report : reading.off_plate)
        std::printf("off-plate report %s: %s\n", report.c_str(), describe(index, scene).c_str());
    }
    misreads += int(reading.misreads.size());
    false_on_plate += int(reading.on_plate.size());
    false_off_plate += int(reading.off_plate.size());
    if (!with_plate) continue;
    const int digits = int(plate->serial.size());
    all.add(reading.exact);
    by_digits[std::size_t(digits - 1)].add(reading.exact);
    by_width[std::size_t(width_bucket(plate->width_px))].add(reading.exact);
    if (digits >= 3) by_width_three_four[std::size_t(width_bucket(plate->width_px))].add(reading.exact);
    by_kind[plate->kind == plate::tools::PlateKind::kei].add(reading.exact);
    by_blur[index_of(kAccuracyBlurs, scene.blur_sigma_px)].add(reading.exact);
    by_noise[index_of(kAccuracyNoises, scene.noise_sigma)].add(reading.exact);
    if (reading.exact) continue;
    const std::string reason = diagnose(*workspace, *plate);
    ++reasons[reason][std::size_t(2 * (digits - 1) + (plate->kind == plate::tools::PlateKind::kei))];
    if (list) std::printf("not read (%s): %s\n", reason.c_str(), describe(index, scene).c_str());
  }

  std::printf("Plates read exactly: %d of %d pictures with one plate\n", all.read, all.total);
  print_tally("all", all);
  std::printf("by digit count\n");
  for (int d = 0; d < 4; ++d)
    print_tally(std::to_string(d + 1) + (d == 0 ? " digit" : " digits"), by_digits[std::size_t(d)]);
  std::printf("by plate width (digit height = width x 80 / 330)\n");
  constexpr std::array<const char*, 5> kWidthLabels{"100-159 px", "160-219 px", "220-299 px", "300-399 px",
                                                    "400-560 px"};
  for (std::size_t b = 0; b < by_width.size(); ++b) print_tally(kWidthLabels[b], by_width[b]);
  std::printf("by plate width, three and four digits only\n");
  for (std::size_t b = 0; b < by_width.size(); ++b) print_tally(kWidthLabels[b], by_width_three_four[b]);
  std::printf("by kind\n");
  print_tally("private (white)", by_kind[0]);
  print_tally("kei (yellow)", by_kind[1]);
  char label[32];
  std::printf("by blur sigma\n");
  for (std::size_t b = 0; b < kAccuracyBlurs.size(); ++b) {
    std::snprintf(label, sizeof label, "%.1f px", kAccuracyBlurs[b]);
    print_tally(label, by_blur[b]);
  }
  std::printf("by noise sigma\n");
  for (std::size_t b = 0; b < kAccuracyNoises.size(); ++b) {
    std::snprintf(label, sizeof label, "%.0f levels", kAccuracyNoises[b]);
    print_tally(label, by_noise[b]);
  }
  std::printf("Serials read with a wrong text: %d\n", misreads);
  std::printf(
      "Plates reported where there is none: %d on the plates' upper rows, %d off the plates (%d of the "
      "pictures have no plate)\n",
      false_on_plate, false_off_plate, kEmptyPictures);
  std::printf("Why plates were not read, by digit count and kind (p private, k kei)\n  %-40s",
              "first stage that lost the plate");
  for (const char* column : {"1p", "1k", "2p", "2k", "3p", "3k", "4p", "4k"}) std::printf(" %4s", column);
  for (const auto& [reason, counts] : reasons) {
    std::printf("\n  %-40s", reason.c_str());
    for (const int count : counts) std::printf(" %4d", count);
  }
  std::printf("\n");
  return 0;
}
