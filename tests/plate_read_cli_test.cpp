// plate-read as users run it: the built program, its exit status, stdout and stderr.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/template_file.h"
#include "image/bitmap_reader.h"
#include "image/bitmap_writer.h"
#include "shell/overlay_plan.h"
#include "test_pictures.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace plate {
namespace {

namespace fs = std::filesystem;

const fs::path kSamples = fs::path(PLATE_SOURCE_DIR) / "data" / "samples";
const fs::path kManifest = kSamples / "manifest.tsv";
const fs::path kShippedPatterns = fs::path(PLATE_SOURCE_DIR) / "data" / kPatternFileName;

std::string quoted(const fs::path& path) {
  const std::string text = path.string();
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void spit(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct ProgramRun {
  int status;
  std::string out;
  std::string err;
};

// A fresh directory per test, named after it, so that tests may run in parallel.
fs::path scratch_directory() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("plate_read_cli_") + info->test_suite_name() + "_" + info->name();
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  const fs::path dir = fs::temp_directory_path() / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

ProgramRun run_plate_read(const fs::path& work_dir, const std::string& arguments,
                          const std::string& standard_input = "") {
  spit(work_dir / "stdin.txt", standard_input);
  const std::string command = "cd " + quoted(work_dir) + " && " + quoted(PLATE_READ_PROGRAM) + " " +
                              arguments + " <" + quoted(work_dir / "stdin.txt") + " >" +
                              quoted(work_dir / "stdout.txt") + " 2>" + quoted(work_dir / "stderr.txt");
#ifdef _WIN32
  const int status = std::system(("\"" + command + "\"").c_str());
#else
  const int raw = std::system(command.c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  return {status, slurp(work_dir / "stdout.txt"), slurp(work_dir / "stderr.txt")};
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The quoted strings of a JSON text from `from` on, up to the first ']' outside them. Plate-read's
// plate texts and log lines hold no escaped quotes, so this is all the parsing the checks need.
std::vector<std::string> strings_until_bracket(const std::string& json, std::size_t from) {
  std::vector<std::string> found;
  while (from < json.size() && json[from] != ']') {
    if (json[from] != '"') {
      ++from;
      continue;
    }
    const std::size_t close = json.find('"', from + 1);
    found.push_back(json.substr(from + 1, close - from - 1));
    from = close + 1;
  }
  return found;
}

std::vector<std::string> plate_texts(const std::string& json_line) {
  std::vector<std::string> texts;
  const std::string key = "\"text\":";
  for (std::size_t at = json_line.find(key); at != std::string::npos; at = json_line.find(key, at + 1)) {
    texts.push_back(strings_until_bracket(json_line, at + key.size()).front());
  }
  return texts;
}

std::vector<std::string> log_lines(const std::string& json_line) {
  const std::size_t at = json_line.find("\"log\":[");
  return at == std::string::npos ? std::vector<std::string>{} : strings_until_bracket(json_line, at + 7);
}

std::int32_t number_after(const std::string& json, std::size_t& at, const std::string& key) {
  at = json.find("\"" + key + "\":", at) + key.size() + 3;
  return std::stoi(json.substr(at));
}

// Timings differ from run to run; everything else must not.
std::string without_timings(std::string output) {
  const std::string from_key = "\"processing_ms\":", to_key = "\"elapsed_us\":";
  for (std::size_t at = output.find(from_key); at != std::string::npos; at = output.find(from_key, at)) {
    const std::size_t to = output.find_first_not_of("0123456789", output.find(to_key, at) + to_key.size());
    output.erase(at, to - at);
  }
  return output;
}

// A small picture that reads without error: a white field with one dark box, no plate.
void write_plain_picture(const fs::path& path) {
  auto plane = std::make_unique<Plane>();
  plane->fill(255);
  testing::fill_box(*plane, 10, 20, 740, 760, 0);
  ASSERT_TRUE(write_bitmap(path, *plane, 64, 48));
}

struct ManifestRow {
  std::string file;
  std::vector<std::string> plates;
  std::vector<std::string> log;
};

std::vector<std::string> split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  if (text == "-" || text.empty()) return parts;
  for (std::size_t from = 0;;) {
    const std::size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at - from));
    if (at == std::string::npos) return parts;
    from = at + separator.size();
  }
}

std::vector<ManifestRow> read_manifest() {
  std::vector<ManifestRow> rows;
  for (const std::string& line : lines_of(slurp(kManifest))) {
    std::string clean = line;
    if (!clean.empty() && clean.back() == '\r') clean.pop_back();
    if (clean.empty() || clean[0] == '#') continue;
    const std::vector<std::string> fields = split(clean, "\t");
    if (fields.size() != 3 || fields[0] == "file") continue;
    rows.push_back({fields[0], split(fields[1], " "), split(fields[2], " | ")});
  }
  return rows;
}

std::string sample_arguments(const std::vector<ManifestRow>& rows) {
  std::string arguments;
  for (const ManifestRow& row : rows) arguments += " " + quoted(kSamples / row.file);
  return arguments;
}

#define SKIP_UNLESS_SAMPLES()                                  \
  if (!fs::exists(kManifest) || !fs::exists(kShippedPatterns)) \
  GTEST_SKIP() << "the sample manifest " << kManifest << " or the shipped pattern file is not there yet"

TEST(PlateReadCliTest, UnreadableFilesFailWithTheirNameOnStderr) {
  const fs::path dir = scratch_directory();
  write_plain_picture(dir / "good.bmp");
  spit(dir / "bad.bmp", "not a bitmap");
  const ProgramRun run = run_plate_read(dir, "--json good.bmp bad.bmp missing.bmp");
  EXPECT_EQ(run.status, 1);
  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), 3u) << run.out;
  EXPECT_TRUE(contains(lines[0], R"("file":"good.bmp","processing_ms":)")) << lines[0];
  EXPECT_TRUE(contains(lines[1], R"({"file":"bad.bmp","error":")")) << lines[1];
  EXPECT_EQ(lines[2], R"({"file":"missing.bmp","error":"ファイルリードエラーです"})");
  EXPECT_TRUE(contains(run.err, "bad.bmp: ")) << run.err;
  EXPECT_TRUE(contains(run.err, "missing.bmp: ファイルリードエラーです\n")) << run.err;

  const ProgramRun text = run_plate_read(dir, "good.bmp missing.bmp");
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(lines_of(text.out).size(), 1u) << "an unreadable file gives no stdout line: " << text.out;
}

TEST(PlateReadCliTest, DirectoryGivesItsBitmapsInNameOrder) {
  const fs::path dir = scratch_directory();
  fs::create_directories(dir / "pictures" / "sub.bmp");  // a directory is not a picture
  for (const char* name : {"b.BMP", "a.bmp", "c.Bmp"}) write_plain_picture(dir / "pictures" / name);
  spit(dir / "pictures" / "notes.txt", "not a picture");
  const ProgramRun run = run_plate_read(dir, "pictures");
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> names;
  for (const std::string& line : lines_of(run.out)) names.push_back(line.substr(0, line.find('\t')));
  const std::vector<std::string> expected = {(fs::path("pictures") / "a.bmp").string(),
                                             (fs::path("pictures") / "b.BMP").string(),
                                             (fs::path("pictures") / "c.Bmp").string()};
  EXPECT_EQ(names, expected);
}

TEST(PlateReadCliTest, DashReadsTheNameListFromStandardInput) {
  const fs::path dir = scratch_directory();
  for (const char* name : {"x.bmp", "y.bmp", "z.bmp"}) write_plain_picture(dir / name);
  const ProgramRun run = run_plate_read(dir, "x.bmp - y.bmp", "z.bmp\r\n\nx.bmp\n");
  EXPECT_EQ(run.status, 0) << run.err;
  std::vector<std::string> names;
  for (const std::string& line : lines_of(run.out)) names.push_back(line.substr(0, line.find('\t')));
  EXPECT_EQ(names, (std::vector<std::string>{"x.bmp", "z.bmp", "x.bmp", "y.bmp"}));
}

TEST(PlateReadCliTest, TwoWorkersGiveTheOutputOfOne) {
  const fs::path dir = scratch_directory();
  std::string arguments;
  if (fs::exists(kSamples)) arguments += " " + quoted(kSamples);
  for (int i = 0; i < 5; ++i) {
    write_plain_picture(dir / ("p" + std::to_string(i) + ".bmp"));
    arguments += " p" + std::to_string(i) + ".bmp missing" + std::to_string(i) + ".bmp";
  }
  const ProgramRun one = run_plate_read(dir, "--json --candidates -j 1" + arguments);
  const ProgramRun two = run_plate_read(dir, "--json --candidates -j 2" + arguments);
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(two.status, 1);
  EXPECT_GE(lines_of(one.out).size(), 10u);
  EXPECT_EQ(without_timings(two.out), without_timings(one.out));
  EXPECT_EQ(two.err, one.err);
}

struct UsageCase {
  const char* name;
  std::string arguments;
  std::string stderr_part;
};

// Test names in CTest show the row name rather than the row's bytes.
void PrintTo(const UsageCase& row, std::ostream* out) {
  *out << row.name;
}

class PlateReadUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(PlateReadUsageTest, ExitsTwoWithAMessageAndNoOutput) {
  const fs::path dir = scratch_directory();
  write_plain_picture(dir / "a.bmp");
  write_plain_picture(dir / "b.bmp");
  const ProgramRun run = run_plate_read(dir, GetParam().arguments);
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.out.empty()) << run.out;
  EXPECT_TRUE(run.err.starts_with("plate-read: ")) << run.err;
  EXPECT_TRUE(contains(run.err, GetParam().stderr_part)) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlateReadUsageTest,
    ::testing::Values(UsageCase{"NoArguments", "", "no input file"},
                      UsageCase{"UnknownOption", "--bogus a.bmp", "unknown option '--bogus'"},
                      UsageCase{"BadJobs", "-j 0 a.bmp", "'-j' needs a number"},
                      UsageCase{"OverlayOfTwoFiles", "--overlay o.bmp a.bmp b.bmp",
                                "--overlay takes one input file"},
                      UsageCase{"OverlayNamesCollide", "--overlay-dir out a.bmp ./a.bmp", "would both write"},
                      UsageCase{"NamedPatternsMissing", "--patterns nowhere.pat a.bmp",
                                "nowhere.pat: EBMPlog00.patがありません。"}),
    [](const ::testing::TestParamInfo<UsageCase>& row) { return std::string(row.param.name); });

// The working directory has no pattern file, so the one the build put beside the program is read;
// without a shipped one the loader's message comes and every file is still reported.
TEST(PlateReadCliTest, FindsThePatternFileBesideTheProgram) {
  const fs::path dir = scratch_directory();
  write_plain_picture(dir / "a.bmp");
  const ProgramRun run = run_plate_read(dir, "a.bmp");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(lines_of(run.out).size(), 1u);
  const bool shipped = fs::exists(kShippedPatterns);
  EXPECT_EQ(run.err, shipped ? "" : "plate-read: EBMPlog00.patがありません。\n");
}

TEST(PlateReadCliTest, OverlayFramesEveryPlateOnItsPlannedPath) {
  SKIP_UNLESS_SAMPLES();
  const fs::path dir = scratch_directory();
  for (const ManifestRow& row : read_manifest()) {
    if (row.plates.empty()) continue;
    const ProgramRun run = run_plate_read(dir, "--json --overlay out.bmp " + quoted(kSamples / row.file));
    ASSERT_EQ(run.status, 0) << run.err;
    GroupTable groups{};
    std::int32_t next_group_id = 1;
    for (std::size_t at = run.out.find("\"frame\":"); at != std::string::npos;
         at = run.out.find("\"frame\":", at)) {
      GroupEntry& g = groups[static_cast<std::size_t>(next_group_id++)];
      g.digit_count = 1;
      g.x_min = number_after(run.out, at, "x_min");
      g.x_max = number_after(run.out, at, "x_max");
      g.y_min = number_after(run.out, at, "y_min");
      g.y_max = number_after(run.out, at, "y_max");
    }
    ASSERT_EQ(next_group_id - 1, static_cast<int>(row.plates.size())) << run.out;

    auto overlay = std::make_unique<Plane>();
    struct Quiet final : MessageService {
      void show_message(std::string_view) override {}
    } quiet;
    ASSERT_EQ(read_bitmap(dir / "out.bmp", *overlay, quiet), ReadOutcome::read);
    for (const OverlayItem& item : plan_overlay(groups, next_group_id)) {
      for (std::size_t i = 0; i + 1 < item.frame_path.size(); ++i) {
        const WindowPoint a = item.frame_path[i], b = item.frame_path[i + 1];
        for (const WindowPoint p : {a, WindowPoint{(a.x + b.x) / 2, (a.y + b.y) / 2}}) {
          const int y = kFrameHeight - 1 - p.y;
          EXPECT_EQ(overlay->channel_unchecked(p.x, y, Channel::red), 0) << row.file;
          EXPECT_EQ(overlay->channel_unchecked(p.x, y, Channel::green), 255) << row.file;
          EXPECT_EQ(overlay->channel_unchecked(p.x, y, Channel::blue), 255) << row.file;
        }
      }
    }
    return;  // one picture with plates shows the drawing; the others add nothing
  }
  GTEST_SKIP() << "no sample with a plate in the manifest";
}

TEST(PlateReadCliTest, EverySampleGivesItsManifestPlatesAndLog) {
  SKIP_UNLESS_SAMPLES();
  const std::vector<ManifestRow> rows = read_manifest();
  ASSERT_FALSE(rows.empty());
  const ProgramRun run = run_plate_read(scratch_directory(), "--json -j 2" + sample_arguments(rows));
  EXPECT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = lines_of(run.out);
  ASSERT_EQ(lines.size(), rows.size()) << run.out;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(plate_texts(lines[i]), rows[i].plates) << rows[i].file;
    EXPECT_EQ(log_lines(lines[i]), rows[i].log) << rows[i].file;
  }
}

}  // namespace
}  // namespace plate
