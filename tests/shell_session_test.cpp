#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "image/bitmap_writer.h"
#include "shell/session.h"
#include "test_pictures.h"

namespace plate {
namespace {

namespace fs = std::filesystem;

struct SilentMessages final : MessageService {
  void show_message(std::string_view) override {}
};

void write_grey_picture(const fs::path& path, std::uint8_t level) {
  auto plane = std::make_unique<Plane>();
  testing::fill_box(*plane, 0, 39, kFrameHeight - 30, kFrameHeight - 1, level);
  ASSERT_TRUE(write_bitmap(path, *plane, 40, 30));
}

// Cut at 255 bytes, as a fixed path buffer would cut it, the path names another file that exists.
TEST(SessionTest, APathLongerThan255BytesIsReadWhole) {
  const fs::path base = fs::temp_directory_path() / "shell_session_test";
  fs::remove_all(base);
  const fs::path folder = base / std::string(250 - base.string().size() - 1, 'd');
  fs::create_directories(folder);
  const fs::path picture = folder / (std::string(120, 'f') + ".bmp");
  const fs::path cut(picture.string().substr(0, 255));
  ASSERT_EQ(cut.parent_path(), folder);
  write_grey_picture(picture, 77);
  write_grey_picture(cut, 200);

  Session session;
  SilentMessages messages;
  EXPECT_EQ(session.load_file(picture, messages), ReadOutcome::read);
  EXPECT_EQ(session.workspace().display.green_unchecked(0, kFrameHeight - 1), 77);
  fs::remove_all(base);
}

}  // namespace
}  // namespace plate
