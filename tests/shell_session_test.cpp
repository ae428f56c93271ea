#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "image/bitmap_writer.h"
#include "shell/session.h"
#include "test_pictures.h"

namespace plate {
namespace {

namespace fs = std::filesystem;

struct RecordingMessages final : MessageService {
  std::vector<std::string> texts;
  void show_message(std::string_view text) override { texts.emplace_back(text); }
};

// A picture in the frame's top-left corner, as the reader places it, filled with one grey level.
void write_grey_picture(const fs::path& path, std::uint8_t level) {
  auto plane = std::make_unique<Plane>();
  plane->fill(0);
  testing::fill_box(*plane, 0, 39, kFrameHeight - 30, kFrameHeight - 1, level);
  ASSERT_TRUE(write_bitmap(path, *plane, 40, 30));
}

std::uint8_t top_left_green(const Session& session) {
  return session.workspace().display.green_unchecked(0, kFrameHeight - 1);
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("shell_session_test_" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    // The last run's result, as a run that read one plate leaves it.
    RunResult& result = session_.workspace().result;
    result.processing_ms = 47;
    result.characters.count = 4;
    result.groups[1].digit_count = 4;
    result.next_group_id = 2;
  }
  void TearDown() override { fs::remove_all(folder_); }

  void expect_groups_cleared_and_the_rest_of_the_result_kept() const {
    const RunResult& result = session_.workspace().result;
    EXPECT_EQ(result.groups[1].digit_count, 0);
    EXPECT_EQ(result.processing_ms, 47u);
    EXPECT_EQ(result.characters.count, 4);
    EXPECT_EQ(result.next_group_id, 2);
  }

  fs::path folder_;
  Session session_;
  RecordingMessages messages_;
};

TEST_F(SessionTest, ADroppedPictureIsShownAndTheOverlayDropped) {
  write_grey_picture(folder_ / "car.bmp", 77);
  session_.fill_frame(255);
  EXPECT_EQ(session_.load_file(folder_ / "car.bmp", messages_), ReadOutcome::read);
  EXPECT_EQ(top_left_green(session_), 77);
  EXPECT_EQ(session_.workspace().display.green_unchecked(40, kFrameHeight - 1), 0);  // right of the picture
  EXPECT_TRUE(messages_.texts.empty());
  expect_groups_cleared_and_the_rest_of_the_result_kept();
}

TEST_F(SessionTest, AnUnreadableFileLeavesABlackFrameAndNoOverlay) {
  std::ofstream(folder_ / "notes.bmp") << "not a bitmap";
  session_.fill_frame(255);
  EXPECT_NE(session_.load_file(folder_ / "notes.bmp", messages_), ReadOutcome::read);
  EXPECT_EQ(messages_.texts, std::vector<std::string>{"ファイルリードエラーです"});
  const auto& bytes = session_.workspace().display.bytes;
  EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; }));
  expect_groups_cleared_and_the_rest_of_the_result_kept();
}

// A path cut at 255 bytes would name another file; the whole path must be read.
TEST_F(SessionTest, APathLongerThan255BytesIsReadWhole) {
  // The folder's path ends a few bytes short of 255, so the cut falls inside the file's name.
  const fs::path folder = folder_ / std::string(250 - folder_.string().size() - 1, 'd');
  fs::create_directories(folder);
  const fs::path picture = folder / (std::string(120, 'f') + ".bmp");
  const std::string whole = picture.string();
  ASSERT_GT(whole.size(), 255u);
  const fs::path cut(whole.substr(0, 255));
  ASSERT_EQ(cut.parent_path(), folder);
  write_grey_picture(picture, 77);
  write_grey_picture(cut, 200);
  EXPECT_EQ(session_.load_file(picture, messages_), ReadOutcome::read);
  EXPECT_EQ(top_left_green(session_), 77);
}

TEST_F(SessionTest, BlankingChangesOnlyTheDisplayPlane) {
  session_.fill_frame(0);
  EXPECT_EQ(top_left_green(session_), 0);
  session_.fill_frame(255);
  EXPECT_EQ(top_left_green(session_), 255);
  EXPECT_EQ(session_.workspace().result.groups[1].digit_count, 4);
}

TEST_F(SessionTest, AMissingPatternFileIsToldOnce) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder_);
  EXPECT_FALSE(session_.load_templates(messages_));
  fs::current_path(previous);
  EXPECT_EQ(messages_.texts, std::vector<std::string>{"EBMPlog00.patがありません。"});
}

}  // namespace
}  // namespace plate
