// real-shape-score chooses the templates; plate-read uses them. On sheets of the renderer's digits,
// blurred and noisy enough that digits break into pieces and the 0/8 check overrules picks, the
// scorer's figures from the traced candidates must be plate-read --candidates' figures.

#include "tools/plate_renderer/digit_sheets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "image/bitmap_writer.h"
#include "test_pictures.h"

namespace plate {
namespace {

namespace fs = std::filesystem;

TEST(DigitSheetsTest, TheScorerGivesPlateReadsFigures) {
  const fs::path dir = fs::temp_directory_path() / "digit_sheets_test";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path patterns = fs::path(PLATE_SOURCE_DIR) / "data" / kPatternFileName;
  const tools::DigitSheets sheets =
      tools::lay_out(tools::renderer_digits(tools::default_sheet_fonts()), 1.0, 10.0);

  auto workspace = testing::make_workspace();
  std::vector<tools::DigitCandidate> traced;
  std::vector<std::string> files;
  for (int sheet = 0; sheet < sheets.sheet_count(); ++sheet) {
    for (tools::DigitCandidate& c : tools::trace_sheet(*workspace, sheets, sheet))
      traced.push_back(std::move(c));
    files.push_back((dir / ("sheet-" + std::to_string(sheet) + ".bmp")).string());
    ASSERT_TRUE(write_bitmap(files.back(), workspace->display, kFrameWidth, kFrameHeight));
  }
  // Through the file, as real-shape-score reads it.
  std::ofstream(dir / "candidates.jsonl") << [&] {
    std::string text;
    for (const tools::DigitCandidate& c : traced) text += tools::candidate_line(c) + "\n";
    return text;
  }();
  const std::vector<tools::DigitCandidate> candidates = tools::read_candidate_file(dir / "candidates.jsonl");
  const std::vector<tools::DigitSample> samples = tools::digit_samples(candidates);
  ASSERT_EQ(samples.size(), sheets.digits.size());  // every digit left a candidate at some height
  auto templates = std::make_unique<TemplateTable>();
  ASSERT_TRUE(load_template_file(*templates, patterns).loaded());
  std::vector<const tools::DigitSample*> all;
  for (const tools::DigitSample& s : samples) all.push_back(&s);
  const tools::DigitScore scored = tools::score_samples(*templates, all);

  std::string command = "\"" + std::string(PLATE_READ_PROGRAM) + "\" --json --candidates --patterns \"" +
                        patterns.string() + "\"";
  for (const std::string& file : files) command += " \"" + file + "\"";
  command += " > \"" + (dir / "run.jsonl").string() + "\"";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream run(dir / "run.jsonl");
  const tools::DigitScore read = tools::score_run_output(sheets, run, files);

  EXPECT_EQ(read, scored);
  std::ostringstream figures;
  tools::print_digit_score(figures, scored);
  // Not a vacuous check: wrong and unread digits, digits in pieces, and 0/8 verdicts against the digit.
  EXPECT_GT(scored.all.wrong, 0) << figures.str();
  EXPECT_GT(scored.all.unread, 0) << figures.str();
  EXPECT_TRUE(
      std::any_of(samples.begin(), samples.end(), [](const auto& s) { return s.candidates.size() > 1; }));
  EXPECT_TRUE(std::any_of(candidates.begin(), candidates.end(),
                          [](const auto& c) { return c.digit == '0' && c.zero_eight == '8'; }));
  EXPECT_TRUE(
      std::any_of(candidates.begin(), candidates.end(), [](const auto& c) { return c.zero_eight == 0; }));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace plate
