// The Win32 layer over the plain shell logic: what reaches the Session from the window's messages
// and drops, what the painting puts on the screen, and what the result dialog shows. Windows are
// created but never shown; nothing here starts a run, whose modal dialog would wait for a user.

#include <windows.h>
// After windows.h, which it needs.
#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/bitmap_writer.h"
#include "present/overlay_plan.h"
#include "resources/result_dialog.h"
#include "shell/result_dialog_texts.h"
#include "shell/session.h"
#include "shell/win32/dropped_files.h"
#include "shell/win32/main_window.h"
#include "shell/win32/painting.h"
#include "shell/win32/result_dialog.h"
#include "shell/win32/wide_text.h"

namespace plate {
namespace {

namespace fs = std::filesystem;

struct RecordingMessages final : MessageService {
  void show_message(std::string_view text) override { shown.emplace_back(text); }
  std::vector<std::string> shown;
};

// A drop as Windows hands it over: DROPFILES, then the wide paths, each ended by a zero and the
// list by one more. DragFinish releases it.
HDROP make_drop(const std::vector<fs::path>& paths) {
  std::wstring names;
  for (const fs::path& path : paths) names += path.native() + L'\0';
  names += L'\0';
  const HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(header + 1, names.data(), names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

void put_one_plate(RunResult& result) {
  result.groups[1] = {2,
                      300,
                      100,
                      260,
                      200,
                      "\xA5\xA5"
                      "12"};  // x 100..300, plane rows 200..260, "･･12"
  result.next_group_id = 2;
}

// More than 255 bytes in the Japanese ANSI code page, so a narrow path buffer would cut it.
const std::wstring kLongJapanesePicture = std::wstring(110, L'認') + L"\\ナンバー.bmp";

class MainWindowDropTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    MainWindow::register_class(GetModuleHandleW(nullptr));
    fs::create_directories((folder() / kLongJapanesePicture).parent_path());
    auto plane = std::make_unique<Plane>();
    plane->fill(77);
    ASSERT_TRUE(write_bitmap(folder() / kLongJapanesePicture, *plane, kFrameWidth, kFrameHeight));
  }
  static void TearDownTestSuite() { fs::remove_all(folder()); }
  static fs::path folder() { return fs::temp_directory_path() / L"win32_shell_test"; }

  void SetUp() override {
    handle_ = window_.create();
    ASSERT_NE(handle_, nullptr);
    ASSERT_EQ(session_.display().bytes.front(), 255);  // white from creation on
    // The plates of a run over a sample, then a grey frame under them, for the drop to act on.
    const fs::path data = fs::path(PLATE_SOURCE_DIR) / "data";
    if (!fs::exists(data / "EBMPlog00.pat")) GTEST_SKIP() << "no shipped pattern file in " << data;
    const fs::path working_directory = fs::current_path();
    fs::current_path(data);  // the session reads the pattern file from there, as the program does
    const bool loaded = session_.load_templates(messages_).loaded();
    fs::current_path(working_directory);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(session_.load_file(data / "samples" / "two_plates.bmp", messages_), PictureOutcome::loaded);
    session_.recognize();
    ASSERT_FALSE(session_.overlay().empty());
    session_.fill_frame(128);
  }

  Session session_;
  RecordingMessages messages_;
  MainWindow window_{GetModuleHandleW(nullptr), session_, messages_};
  HWND handle_ = nullptr;
};

// The drop rule itself is tested with the plain shell logic; here the wide path must arrive whole.
TEST_F(MainWindowDropTest, ReadsTheFirstFileAtALongJapanesePathAndDropsTheLastOverlay) {
  const HDROP drop = make_drop({folder() / kLongJapanesePicture, folder() / L"second.bmp"});
  SendMessageW(handle_, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
  EXPECT_TRUE(messages_.shown.empty());
  EXPECT_EQ(session_.display().bytes.back(), 77);
  EXPECT_TRUE(session_.overlay().empty());
}

std::uint32_t rgb_at(const std::uint32_t* pixels, int x, int y) {
  return pixels[y * kFrameWidth + x] & 0xFFFFFF;  // 0xRRGGBB: a 32-bit DIB stores blue first
}

TEST(PaintingTest, ShowsThePlaneUprightAndTheOverlayInItsColours) {
  auto plane = std::make_unique<Plane>();
  plane->fill(255);
  std::memset(plane->row(kFrameHeight - 1), 0, 30);           // black top row, left
  for (int x = 0; x < 10; ++x) plane->row(0)[x * 3 + 2] = 0;  // cyan bottom row, left: red off
  RunResult result{};
  put_one_plate(result);

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kFrameWidth, -800, 1, 32, BI_RGB, 0, 0, 0, 0, 0};  // top-down
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bitmap, nullptr);
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  paint_frame(dc, *plane, plan_overlay(plates_in_dialog_order(result)));
  GdiFlush();
  const auto* pixels = static_cast<const std::uint32_t*>(bits);

  EXPECT_EQ(rgb_at(pixels, 5, 0), 0x000000u);
  EXPECT_EQ(rgb_at(pixels, 5, 767), 0x00FFFFu);
  // The frame (100, 567) to (300, 507) in a 5-pixel pen, its inside left as it was.
  for (const auto& [x, y] : {std::pair{200, 567}, {200, 565}, {200, 569}, {300, 530}, {100, 530}, {200, 507}})
    EXPECT_EQ(rgb_at(pixels, x, y), 0x00FFFFu) << x << ", " << y;
  EXPECT_EQ(rgb_at(pixels, 200, 530), 0xFFFFFFu);
  int blue = 0;
  for (int y = 571; y < 600; ++y)
    for (int x = 100; x < 200; ++x) blue += rgb_at(pixels, x, y) == 0x0000FFu;
  EXPECT_GT(blue, 0) << "no label text below the frame";

  SelectObject(dc, previous);
  DeleteDC(dc);
  DeleteObject(bitmap);
}

std::wstring control_text(HWND dialog, int id) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(GetDlgItem(dialog, id))) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetDlgItemTextW(dialog, id, text.data(), static_cast<int>(text.size()))));
  return text;
}

TEST(ResultDialogTest, ShowsTheRunResultWithThePlateTextsMiddleDots) {
  RunResult result{};
  put_one_plate(result);
  result.processing_ms = 47;
  result.characters.count = 2;
  result.characters.entries[0].group_id = 1;
  result.characters.entries[1].group_id = 1;

  const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(106), nullptr,
                                         result_dialog_procedure, reinterpret_cast<LPARAM>(&result));
  ASSERT_NE(dialog, nullptr);
  wchar_t caption[64] = {};
  GetWindowTextW(dialog, caption, 64);
  EXPECT_EQ(caption,
            widen(resources::kResultDialog.caption));  // the Japanese texts survived the resource compiler
  EXPECT_EQ(control_text(dialog, 1000), L"処理時間 = 47 ms \r\n\r\nNumberplate : ･･12\r\n");
  EXPECT_EQ(control_text(dialog, 1001), widen(compose_contact_text()));
  DestroyWindow(dialog);
}

}  // namespace
}  // namespace plate
