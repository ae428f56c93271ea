// The renderer feeds the samples and the accuracy figures, so two things must hold: a plate it
// draws is read as its text by a whole run, and a scene always gives the same bytes, placed where
// the bitmap reader would load the written file. The shipped samples are then read as their
// manifest says, file by file, through the same reader and run as plate-read.

#include <gtest/gtest.h>

#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "engine/recognition.h"
#include "image/bitmap_reader.h"
#include "image/bitmap_writer.h"
#include "shell/display_text.h"
#include "shell/read_plates.h"
#include "test_pictures.h"
#include "tools/plate_renderer/plate_scene.h"

namespace {

using plate::tools::Background;
using plate::tools::BackgroundKind;
using plate::tools::PlacedPlate;
using plate::tools::PlateKind;
using plate::tools::Scene;

class FailOnMessage : public plate::MessageService {
 public:
  void show_message(std::string_view text) override { ADD_FAILURE() << text; }
};

const plate::tools::PlateFonts& fonts() {
  static const plate::tools::PlateFonts loaded = plate::tools::load_plate_fonts();
  return loaded;
}

std::vector<std::string> accepted_texts(const plate::RunResult& result) {
  std::vector<std::string> texts;
  for (int id = 1; id < result.next_group_id; ++id) {
    const plate::GroupEntry& group = result.groups[std::size_t(id)];
    if (group.digit_count != 0) texts.emplace_back(group.text);
  }
  return texts;
}

struct ReadCase {
  const char* name;
  PlacedPlate plate;
  Background background;
  double blur_sigma_px;
  double noise_sigma;
};

class RenderedPlate : public ::testing::TestWithParam<ReadCase> {};

TEST_P(RenderedPlate, IsReadAsItsTextAndNothingElse) {
  const ReadCase& c = GetParam();
  Scene scene;
  scene.width = 640;
  scene.height = 400;
  scene.background = c.background;
  scene.plates = {c.plate};
  scene.blur_sigma_px = c.blur_sigma_px;
  scene.noise_sigma = c.noise_sigma;

  auto workspace = plate::testing::make_workspace();
  FailOnMessage messages;
  ASSERT_TRUE(plate::load_templates(workspace->templates, messages, PLATE_SOURCE_DIR "/data/EBMPlog00.pat"));
  plate::tools::render_scene(scene, fonts(), workspace->display);
  plate::run_recognition(*workspace);

  EXPECT_EQ(accepted_texts(workspace->result),
            std::vector<std::string>{plate::tools::expected_plate_text(c.plate.serial)})
      << "log: " << workspace->result.log.view();
}

PlacedPlate plate_at(std::string serial, PlateKind kind, double left, double top, double width) {
  PlacedPlate plate;
  plate.serial = std::move(serial);
  plate.kind = kind;
  plate.left_px = left;
  plate.top_px = top;
  plate.width_px = width;
  return plate;
}

INSTANTIATE_TEST_SUITE_P(
    FourDigits, RenderedPlate,
    ::testing::Values(
        ReadCase{"private_clean", plate_at("1234", PlateKind::private_car, 150, 110, 330), {}, 0.0, 0.0},
        ReadCase{"kei_blurred_noisy_on_clutter",
                 plate_at("5678", PlateKind::kei, 90, 80, 400),
                 {BackgroundKind::clutter, {210, 205, 200}, {60, 60, 70}, 40},
                 1.0,
                 6.0},
        ReadCase{"private_small_on_gradient",
                 plate_at("9021", PlateKind::private_car, 260, 200, 240),
                 {BackgroundKind::gradient, {230, 230, 230}, {70, 70, 70}, 0},
                 0.5,
                 3.0}),
    [](const ::testing::TestParamInfo<ReadCase>& row) { return std::string(row.param.name); });

Scene busy_scene(std::uint64_t seed) {
  Scene scene;
  scene.width = 300;
  scene.height = 200;
  scene.background = {BackgroundKind::clutter, {200, 190, 180}, {40, 50, 60}, 24};
  scene.plates = {plate_at("47", PlateKind::kei, 20, 30, 260)};
  scene.blur_sigma_px = 0.8;
  scene.noise_sigma = 5.0;
  scene.seed = seed;
  return scene;
}

TEST(RenderedScene, IsTheSameForTheSameSeedAndDiffersForAnother) {
  auto first = plate::testing::make_workspace();
  auto second = plate::testing::make_workspace();
  plate::tools::render_scene(busy_scene(7), fonts(), first->display);
  plate::tools::render_scene(busy_scene(7), fonts(), second->display);
  EXPECT_TRUE(first->display.bytes == second->display.bytes);
  plate::tools::render_scene(busy_scene(8), fonts(), second->display);
  EXPECT_FALSE(first->display.bytes == second->display.bytes);
}

TEST(RenderedScene, LiesInTheFrameWhereTheReaderLoadsItsBitmap) {
  const Scene scene = busy_scene(7);
  auto rendered = plate::testing::make_workspace();
  auto loaded = plate::testing::make_workspace();
  plate::tools::render_scene(scene, fonts(), rendered->display);
  const std::vector<std::uint8_t> file = plate::encode_bitmap(rendered->display, scene.width, scene.height);
  FailOnMessage messages;
  ASSERT_EQ(plate::read_bitmap_bytes(std::as_bytes(std::span(file)), loaded->display, messages),
            plate::ReadOutcome::read);
  EXPECT_TRUE(rendered->display.bytes == loaded->display.bytes);
}

// One line of data/samples/manifest.tsv: the picture, its plates in the result dialog's order
// (UTF-8, space-separated) and its diagnostic log lines joined by " | "; "-" for none.
struct SampleRow {
  std::string file;
  std::string plates;
  std::string log;
};

std::vector<SampleRow> manifest_rows() {
  std::ifstream manifest(PLATE_SOURCE_DIR "/data/samples/manifest.tsv");
  std::vector<SampleRow> rows;
  std::string line;
  std::getline(manifest, line);  // header
  while (std::getline(manifest, line)) {
    const std::size_t first_tab = line.find('\t');
    const std::size_t second_tab = line.find('\t', first_tab + 1);
    rows.push_back({line.substr(0, first_tab), line.substr(first_tab + 1, second_tab - first_tab - 1),
                    line.substr(second_tab + 1)});
  }
  return rows;
}

std::string joined_or_dash(const std::vector<std::string>& parts, const std::string& separator) {
  if (parts.empty()) return "-";
  std::string text = parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) text += separator + parts[i];
  return text;
}

class SamplePicture : public ::testing::TestWithParam<SampleRow> {};

TEST_P(SamplePicture, IsReadAsTheManifestSays) {
  const SampleRow& row = GetParam();
  auto workspace = plate::testing::make_workspace();
  FailOnMessage messages;
  ASSERT_TRUE(plate::load_templates(workspace->templates, messages, PLATE_SOURCE_DIR "/data/EBMPlog00.pat"));
  ASSERT_EQ(plate::read_bitmap(PLATE_SOURCE_DIR "/data/samples/" + row.file, workspace->display, messages),
            plate::ReadOutcome::read);
  plate::run_recognition(*workspace);

  std::vector<std::string> plates;
  for (const plate::PlateInList& found : plate::plates_in_dialog_order(workspace->result.characters))
    plates.push_back(plate::plate_text_to_utf8(workspace->result.groups[std::size_t(found.group_id)].text));
  std::vector<std::string> log_lines;
  std::string_view log = workspace->result.log.view();
  for (std::size_t end; (end = log.find("\r\n")) != std::string_view::npos; log.remove_prefix(end + 2))
    log_lines.emplace_back(log.substr(0, end));
  EXPECT_EQ(joined_or_dash(plates, " "), row.plates);
  EXPECT_EQ(joined_or_dash(log_lines, " | "), row.log);
}

INSTANTIATE_TEST_SUITE_P(Manifest, SamplePicture, ::testing::ValuesIn(manifest_rows()),
                         [](const ::testing::TestParamInfo<SampleRow>& row) {
                           return row.param.file.substr(0, row.param.file.find('.'));
                         });

}  // namespace
