#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "image/bitmap_writer.h"
#include "shell/session.h"

namespace plate {
namespace {

namespace fs = std::filesystem;

struct SilentMessages final : MessageService {
  void show_message(std::string_view) override {}
};

// Cut at 255 bytes, as a fixed path buffer would cut it, the path names another file that exists.
TEST(SessionTest, APathLongerThan255BytesIsReadWhole) {
  const fs::path base = fs::temp_directory_path() / "shell_session_test";
  const fs::path folder = base / std::string(250 - base.string().size() - 1, 'd');
  fs::remove_all(base);
  fs::create_directories(folder);
  const fs::path picture = folder / (std::string(120, 'f') + ".bmp");
  const fs::path cut(picture.string().substr(0, 255));
  ASSERT_EQ(cut.parent_path(), folder);
  auto plane = std::make_unique<Plane>();
  for (const auto& [path, level] : {std::pair{picture, 77}, {cut, 200}}) {
    plane->fill(std::uint8_t(level));
    ASSERT_TRUE(write_bitmap(path, *plane, 40, 30));
  }
  Session session;
  SilentMessages messages;
  EXPECT_EQ(session.load_file(picture, messages), kPictureLoaded);
  EXPECT_EQ(session.display().green_unchecked(0, kFrameHeight - 1), 77);
  fs::remove_all(base);
}

}  // namespace
}  // namespace plate
