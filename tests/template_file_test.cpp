#include "engine/template_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/matching.h"
#include "engine/recognition.h"
#include "test_pictures.h"

namespace plate {
namespace {

namespace fs = std::filesystem;

class RecordingMessages : public MessageService {
 public:
  void show_message(std::string_view text) override { shown.emplace_back(text); }
  std::vector<std::string> shown;
};

// An empty directory of the test's own under the system's temporary directory, removed afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string("plate_template_file_") + test->test_suite_name() + "_" + test->name();
    std::replace(name.begin(), name.end(), '/', '_');
    path_ = fs::temp_directory_path() / name;
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

  fs::path write(const std::vector<std::byte>& bytes) const {
    const fs::path file = path_ / kPatternFileName;
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file;
  }

 private:
  fs::path path_;
};

ShapeRecord usable_template(int k) {
  ShapeRecord record{};
  record.character = static_cast<std::uint8_t>('0' + k);
  record.point_count = 20 + k;
  for (int i = 0; i < record.point_count; ++i) record.smoothed_angles[i] = 18 * i;
  record.start_direction = k % 8;
  return record;
}

// `size` bytes of a pattern file: usable templates, and 0xEE past the ten records.
std::vector<std::byte> pattern_bytes(std::size_t size) {
  std::vector<std::byte> bytes(std::max(size, kPatternFileBytes), std::byte{0xEE});
  for (int k = 0; k < kTemplateCount; ++k) {
    const ShapeRecord record = usable_template(k);
    std::memcpy(bytes.data() + std::size_t(k) * kShapeRecordBytes, &record, kShapeRecordBytes);
  }
  bytes.resize(size);
  return bytes;
}

const std::byte* table_bytes(const TemplateTable& templates) {
  return reinterpret_cast<const std::byte*>(templates.data());
}

TemplateTable& littered(TemplateTable& templates) {
  std::memset(templates.data(), 0xAB, sizeof templates);
  return templates;
}

TEST(LoadTemplatesTest, AMissingFileIsReportedOnceAndLeavesEveryTemplateEmpty) {
  ScratchDirectory directory;
  const fs::path previous = fs::current_path();
  fs::current_path(directory.path());
  auto workspace = testing::make_workspace();
  RecordingMessages messages;
  EXPECT_FALSE(load_templates(littered(workspace->templates), messages));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"EBMPlog00.patがありません。"});
  EXPECT_TRUE(std::all_of(table_bytes(workspace->templates),
                          table_bytes(workspace->templates) + kPatternFileBytes,
                          [](std::byte b) { return b == std::byte{0}; }));

  directory.write(pattern_bytes(kPatternFileBytes));  // the bare name is looked up in the working directory
  EXPECT_TRUE(load_templates(workspace->templates, messages));
  EXPECT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(workspace->templates[9].character, '9');
  fs::current_path(previous);
}

struct FileSize {
  const char* name;
  std::size_t bytes;
  int usable_templates;
};

class PatternFileSizeTest : public ::testing::TestWithParam<FileSize> {};

TEST_P(PatternFileSizeTest, FillsTheTableByteForByteAsFarAsTheFileReachesAndZeroesTheRest) {
  ScratchDirectory directory;
  const std::vector<std::byte> file = pattern_bytes(GetParam().bytes);
  auto workspace = testing::make_workspace();
  RecordingMessages messages;
  EXPECT_TRUE(load_templates(littered(workspace->templates), messages, directory.write(file)));
  EXPECT_TRUE(messages.shown.empty());
  const std::size_t read = std::min(file.size(), kPatternFileBytes);
  const std::byte* table = table_bytes(workspace->templates);
  EXPECT_EQ(std::memcmp(table, file.data(), read), 0);
  EXPECT_TRUE(
      std::all_of(table + read, table + kPatternFileBytes, [](std::byte b) { return b == std::byte{0}; }));
  EXPECT_EQ(std::count_if(workspace->templates.begin(), workspace->templates.end(),
                          [](const ShapeRecord& t) { return t.point_count > 0; }),
            GetParam().usable_templates);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PatternFileSizeTest,
    ::testing::Values(FileSize{"empty", 0, 0}, FileSize{"three_records", 3 * kShapeRecordBytes, 3},
                      FileSize{"record_cut_after_its_point_count", kShapeRecordBytes + 100, 2},
                      FileSize{"ten_records", kPatternFileBytes, 10},
                      FileSize{"longer_file", kPatternFileBytes + kShapeRecordBytes + 5, 10}),
    [](const auto& row) { return std::string(row.param.name); });

struct Corruption {
  const char* name;
  std::int32_t point_count;
  std::int32_t start_direction;
  std::int32_t angle_23;
  bool usable;
};

class UnusableTemplateTest : public ::testing::TestWithParam<Corruption> {};

TEST_P(UnusableTemplateTest, TemplatesTheMatcherCannotCompareSafelyAreEmptied) {
  const Corruption& row = GetParam();
  ShapeRecord record = usable_template(4);
  record.point_count = row.point_count;
  record.start_direction = row.start_direction;
  record.smoothed_angles[23] = row.angle_23;
  std::vector<std::byte> bytes(kShapeRecordBytes);
  std::memcpy(bytes.data(), &record, kShapeRecordBytes);
  auto workspace = testing::make_workspace();
  fill_templates(workspace->templates, bytes);
  EXPECT_EQ(workspace->templates[0].point_count, row.usable ? row.point_count : 0);
  EXPECT_EQ(workspace->templates[0].start_direction, row.start_direction);  // only the count changes
}

constexpr std::int32_t kLimit = kMaxSignatureMagnitude;

INSTANTIATE_TEST_SUITE_P(Records, UnusableTemplateTest,
                         ::testing::Values(Corruption{"count_1024", 1024, 4, 0, true},
                                           Corruption{"count_1025", 1025, 4, 0, false},
                                           Corruption{"count_minus_1", -1, 4, 0, false},
                                           Corruption{"start_direction_8", 24, 8, 0, false},
                                           Corruption{"angle_at_limit", 24, 4, -kLimit, true},
                                           Corruption{"angle_past_limit", 24, 4, kLimit + 1, false},
                                           Corruption{"angle_past_the_count", 23, 4, INT_MAX, true}),
                         [](const auto& row) { return std::string(row.param.name); });

// Every record of this file would make the matcher read past the table or overflow its sums.
TEST(LoadTemplatesTest, ARunWithCorruptTemplatesFindsNoCharacterAndStaysInsideTheTable) {
  std::vector<std::byte> bytes = pattern_bytes(kPatternFileBytes);
  const auto corrupt = [&](int k, auto&& change) {
    ShapeRecord record = usable_template(k);
    change(record);
    std::memcpy(bytes.data() + std::size_t(k) * kShapeRecordBytes, &record, kShapeRecordBytes);
  };
  for (int k = 0; k < 4; ++k) corrupt(k, [](ShapeRecord& r) { r.point_count = INT_MAX - 1; });
  for (int k = 4; k < 7; ++k) corrupt(k, [](ShapeRecord& r) { r.smoothed_angles[3] = INT_MIN; });
  for (int k = 7; k < 10; ++k) corrupt(k, [](ShapeRecord& r) { r.start_direction = INT_MIN; });
  ScratchDirectory directory;
  auto workspace = testing::make_workspace();
  RecordingMessages messages;
  ASSERT_TRUE(load_templates(workspace->templates, messages, directory.write(bytes)));
  workspace->display.fill(255);
  testing::fill_box(workspace->display, 100, 109, 200, 219, 0);
  run_recognition(*workspace);
  EXPECT_EQ(workspace->candidates.count, 1);
  EXPECT_EQ(workspace->result.characters.count, 0);
}

}  // namespace
}  // namespace plate
