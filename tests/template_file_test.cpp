#include "engine/template_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/matching.h"
#include "engine/recognition.h"
#include "present/outcome_messages.h"
#include "scratch_folder.h"
#include "test_pictures.h"

namespace plate {
namespace {

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

// Loads a file of its own per test into a table littered as an earlier load might leave it.
class TemplateFileTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::remove_all(file_); }
  void TearDown() override { fs::remove_all(file_); }
  void write(std::span<const std::byte> bytes) { testing::write_file(file_, bytes); }
  TemplateLoadOutcome load() {
    std::memset(table_bytes(), 0xAB, kPatternFileBytes);
    return load_template_file(workspace->templates, file_);
  }
  std::byte* table_bytes() { return reinterpret_cast<std::byte*>(workspace->templates.data()); }
  bool zero_from(std::size_t offset) {
    return std::all_of(table_bytes() + offset, table_bytes() + kPatternFileBytes,
                       [](std::byte b) { return b == std::byte{0}; });
  }

  const fs::path file_ = [] {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::ranges::replace(name, '/', '_');
    return fs::temp_directory_path() / ("template_file_" + name + ".pat");
  }();
  std::unique_ptr<Workspace> workspace = testing::make_workspace();
};

// The desktop says so in the words it always used, naming the file it was given.
TEST_F(TemplateFileTest, AFileThatCannotBeReadLeavesEveryTemplateEmpty) {
  EXPECT_EQ(load().status, TemplateLoadStatus::missing);
  EXPECT_TRUE(zero_from(0));
  EXPECT_EQ(template_message({TemplateLoadStatus::missing, 0, -1}, kPatternFileName),
            "EBMPlog00.patがありません。");
  fs::create_directory(file_);
  EXPECT_EQ(load().status, TemplateLoadStatus::not_a_regular_file);
  EXPECT_TRUE(zero_from(0));
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
  EXPECT_EQ(load().status, GetParam().status);
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
  std::uint8_t character = '5';
};

class UnusableTemplateTest : public TemplateFileTest, public ::testing::WithParamInterface<Corruption> {};

// Kept, the far ends of these would send a run past the record's arrays or overflow its sums; a
// character that is no digit would label candidates with it.
TEST_P(UnusableTemplateTest, TemplatesTheMatcherCannotCompareSafelyAreEmptied) {
  const Corruption& row = GetParam();
  ShapeRecord record{};
  record.character = row.character;
  record.point_count = row.point_count;
  record.start_direction = row.start_direction;
  record.smoothed_angles[23] = row.angle_23;
  std::vector<std::byte> file = pattern_bytes(kPatternFileBytes);  // as the fourth of ten records
  std::memcpy(file.data() + 3 * kShapeRecordBytes, &record, kShapeRecordBytes);
  write(file);
  const TemplateLoadOutcome outcome = load();
  EXPECT_EQ(outcome.status, row.usable ? TemplateLoadStatus::loaded : TemplateLoadStatus::bad_record);
  EXPECT_EQ(outcome.first_bad_record, row.usable ? -1 : 3);
  EXPECT_EQ(workspace->templates[3].point_count, row.usable ? row.point_count : 0);
  EXPECT_EQ(workspace->templates[3].start_direction, row.start_direction);  // only the count changes
}

constexpr std::int32_t kLimit = kMaxSignatureMagnitude;

INSTANTIATE_TEST_SUITE_P(Records, UnusableTemplateTest,
                         ::testing::Values(Corruption{"count_1024", 1024, 4, 0, true},
                                           Corruption{"count_1025", 1025, 4, 0, false},
                                           Corruption{"count_minus_1", -1, 4, 0, false},
                                           Corruption{"start_direction_8", 24, 8, 0, false},
                                           Corruption{"angle_at_limit", 24, 4, -kLimit, true},
                                           Corruption{"angle_at_upper_limit", 24, 4, kLimit, true},
                                           Corruption{"angle_past_limit", 24, 4, kLimit + 1, false},
                                           Corruption{"angle_past_the_count", 23, 4, INT_MAX, true},
                                           Corruption{"character_not_a_digit", 24, 4, 0, false, 'A'},
                                           Corruption{"empty_record", 0, 0, 0, false, 0}),
                         testing::row_name);

}  // namespace
}  // namespace plate
