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
#include "present/outcome_messages.h"
#include "test_pictures.h"

namespace plate {
namespace {

using testing::RecordingMessages;

namespace fs = std::filesystem;

// `size` bytes of a pattern file: usable templates ('0' to '9', of 20 to 29 points), and 0xEE past
// the ten records.
std::vector<std::byte> pattern_bytes(std::size_t size) {
  std::vector<std::byte> bytes(std::max(size, kPatternFileBytes), std::byte{0xEE});
  for (int k = 0; k < kTemplateCount; ++k) {
    ShapeRecord record{};
    record.character = std::uint8_t('0' + k), record.point_count = 20 + k, record.start_direction = k % 8;
    std::memcpy(bytes.data() + std::size_t(k) * kShapeRecordBytes, &record, kShapeRecordBytes);
  }
  bytes.resize(size);
  return bytes;
}

// Runs in an empty working directory of its own, where load() reads the file written by write()
// by its bare name, into a table littered as an earlier load might leave it.
class TemplateFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::ranges::replace(name, '/', '_');
    fs::remove_all(directory_ = fs::temp_directory_path() / ("plate_template_file_" + name));
    fs::create_directories(directory_);
    fs::current_path(directory_);
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(directory_);
  }
  void write(std::span<const std::byte> bytes) {
    std::ofstream(kPatternFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  TemplateLoadStatus load() {
    std::memset(table_bytes(), 0xAB, kPatternFileBytes);
    return load_template_file(workspace->templates, kPatternFileName).status;
  }
  std::byte* table_bytes() { return reinterpret_cast<std::byte*>(workspace->templates.data()); }
  bool zero_from(std::size_t offset) {
    return std::all_of(table_bytes() + offset, table_bytes() + kPatternFileBytes,
                       [](std::byte b) { return b == std::byte{0}; });
  }

  fs::path previous_ = fs::current_path(), directory_;
  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

// The desktop says so in the words it always used, naming the file it was given.
TEST_F(TemplateFileTest, AFileThatCannotBeReadLeavesEveryTemplateEmpty) {
  EXPECT_EQ(load(), TemplateLoadStatus::missing);
  EXPECT_TRUE(zero_from(0));
  EXPECT_EQ(template_message({TemplateLoadStatus::missing, 0, -1}, kPatternFileName),
            "EBMPlog00.patがありません。");
  EXPECT_EQ(template_message({TemplateLoadStatus::not_a_regular_file, 0, -1}, "dir/x.pat"),
            "dir/x.patがありません。");
  fs::create_directory(kPatternFileName);
  EXPECT_EQ(load(), TemplateLoadStatus::not_a_regular_file);
  EXPECT_TRUE(zero_from(0));
}

// A byte that is not a digit would label candidates with it; the record is emptied instead.
TEST_F(TemplateFileTest, ARecordWhoseCharacterIsNoDigitIsBad) {
  std::vector<std::byte> file = pattern_bytes(kPatternFileBytes);
  file[3 * kShapeRecordBytes] = std::byte{'A'};
  write(file);
  const TemplateLoadOutcome outcome = load_template_file(workspace->templates, kPatternFileName);
  EXPECT_EQ(outcome.status, TemplateLoadStatus::bad_record);
  EXPECT_EQ(outcome.first_bad_record, 3);
  EXPECT_EQ(workspace->templates[3].point_count, 0);
  EXPECT_EQ(workspace->templates[4].point_count, 24);
}

struct FileSize {
  const char* name;
  std::size_t bytes;
  int usable_templates;
  TemplateLoadStatus status;
};

class PatternFileSizeTest : public TemplateFileTest, public ::testing::WithParamInterface<FileSize> {};

// Bytes already in memory fill a table alike.
TEST_P(PatternFileSizeTest, FillsTheTableByteForByteAsFarAsTheFileReachesAndZeroesTheRest) {
  const std::vector<std::byte> file = pattern_bytes(GetParam().bytes);
  write(file);
  EXPECT_EQ(load(), GetParam().status);
  const std::size_t read = std::min(file.size(), kPatternFileBytes);
  EXPECT_EQ(std::memcmp(table_bytes(), file.data(), read), 0);
  EXPECT_TRUE(zero_from(read));
  EXPECT_EQ(
      std::ranges::count_if(workspace->templates, [](const ShapeRecord& t) { return t.point_count > 0; }),
      GetParam().usable_templates);
  auto from_memory = std::make_unique<TemplateTable>();
  std::memset(from_memory->data(), 0xAB, kPatternFileBytes);
  EXPECT_EQ(fill_templates(*from_memory, file).status, GetParam().status);
  EXPECT_EQ(std::memcmp(from_memory->data(), table_bytes(), kPatternFileBytes), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PatternFileSizeTest,
    ::testing::Values(FileSize{"record_cut_after_its_point_count", kShapeRecordBytes + 100, 2,
                               TemplateLoadStatus::wrong_size},
                      FileSize{"ten_records", kPatternFileBytes, 10, TemplateLoadStatus::loaded},
                      FileSize{"longer_file", kPatternFileBytes + kShapeRecordBytes + 5, 10,
                               TemplateLoadStatus::wrong_size}),
    testing::row_name);

struct Corruption {
  const char* name;
  std::int32_t point_count, start_direction, angle_23;
  bool usable;
};

class UnusableTemplateTest : public TemplateFileTest, public ::testing::WithParamInterface<Corruption> {};

// Kept, the far ends of these would send a run past the record's arrays or overflow its sums.
TEST_P(UnusableTemplateTest, TemplatesTheMatcherCannotCompareSafelyAreEmptied) {
  const Corruption& row = GetParam();
  ShapeRecord record{};
  record.character = '5';
  record.point_count = row.point_count;
  record.start_direction = row.start_direction;
  record.smoothed_angles[23] = row.angle_23;
  write({reinterpret_cast<const std::byte*>(&record), kShapeRecordBytes});
  load();
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
                         testing::row_name);

}  // namespace
}  // namespace plate
