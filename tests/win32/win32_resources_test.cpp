// Menu 102 and dialog 106 as the resource compiler built them into this program, against the
// description the other front ends lay out from (resources/*.h). Catches a script saved or read in
// the wrong code page (the Japanese texts garbled) and styles that drifted from the description.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

#include "resources/main_window.h"
#include "resources/result_dialog.h"
#include "shell/win32/wide_text.h"

namespace plate {
namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

std::span<const std::byte> japanese_resource(LPCWSTR type, int id) {
  const HRSRC found = FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), kJapanese);
  if (found == nullptr) return {};
  const HGLOBAL loaded = LoadResource(nullptr, found);
  return {static_cast<const std::byte*>(LockResource(loaded)), SizeofResource(nullptr, found)};
}

std::wstring menu_text(HMENU menu, UINT position) {
  wchar_t text[64] = {};
  GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
  return text;
}

TEST(Win32ResourcesTest, Menu102IsTheJapaneseRecognitionMenu) {
  ASSERT_FALSE(japanese_resource(RT_MENU, resources::kMainMenuId).empty());
  const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resources::kMainMenuId));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  EXPECT_EQ(menu_text(menu, 0), widen(resources::kRecognitionMenuText));
  const HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(popup, nullptr);
  ASSERT_EQ(GetMenuItemCount(popup), 1);
  EXPECT_EQ(menu_text(popup, 0), widen(resources::kPlateRecognitionItemText));
  EXPECT_EQ(GetMenuItemID(popup, 0), UINT{resources::kPlateRecognitionCommand});
  DestroyMenu(menu);
}

// Reads a DLGTEMPLATEEX field by field; each item starts on a DWORD boundary.
class TemplateReader {
 public:
  explicit TemplateReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

  template <typename T>
  T next() {
    T value{};
    if (at_ + sizeof value > bytes_.size()) throw std::out_of_range("dialog template cut short");
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  // A string, or the ordinal after 0xFFFF written as "#<number>".
  std::wstring name() {
    std::wstring text;
    for (wchar_t c = next<wchar_t>(); c != L'\0'; c = next<wchar_t>()) {
      if (text.empty() && c == 0xFFFF) return L"#" + std::to_wstring(next<WORD>());
      text += c;
    }
    return text;
  }
  void align_to_dword() { at_ = (at_ + 3) & ~std::size_t{3}; }

 private:
  std::span<const std::byte> bytes_;
  std::size_t at_ = 0;
};

DWORD win32_styles(std::uint32_t styles) {
  using namespace resources;
  constexpr std::pair<std::uint32_t, DWORD> kWin32Style[] = {
      {kDefaultButton, BS_DEFPUSHBUTTON},
      {kTabStop, WS_TABSTOP},
      {kGroupStart, WS_GROUP},
      {kBorder, WS_BORDER},
      {kMultiLine, ES_MULTILINE},
      {kReadOnly, ES_READONLY},
      {kAutoVerticalScroll, ES_AUTOVSCROLL},
      {kAutoHorizontalScroll, ES_AUTOHSCROLL},
      {kVerticalScrollBar, WS_VSCROLL},
      {kLeftAligned, SS_LEFT},
  };
  DWORD win32 = WS_CHILD | WS_VISIBLE;
  for (const auto& [style, bit] : kWin32Style)
    if (styles & style) win32 |= bit;
  return win32;
}

std::wstring class_of(resources::ControlKind kind) {
  switch (kind) {
    case resources::ControlKind::push_button:
      return L"#128";
    case resources::ControlKind::edit:
      return L"#129";
    case resources::ControlKind::static_text:
      return L"#130";
  }
  return {};
}

void expect_rect(TemplateReader& reader, const resources::DialogUnitRect& rect) {
  EXPECT_EQ(reader.next<std::int16_t>(), rect.x);
  EXPECT_EQ(reader.next<std::int16_t>(), rect.y);
  EXPECT_EQ(reader.next<std::int16_t>(), rect.width);
  EXPECT_EQ(reader.next<std::int16_t>(), rect.height);
}

TEST(Win32ResourcesTest, Dialog106IsTheResultDialogAsDescribed) {
  const resources::DialogTemplate& expected = resources::kResultDialog;
  const std::span<const std::byte> bytes = japanese_resource(RT_DIALOG, expected.resource_id);
  ASSERT_FALSE(bytes.empty());
  TemplateReader reader(bytes);
  ASSERT_EQ(reader.next<WORD>(), 1);  // DLGTEMPLATEEX
  ASSERT_EQ(reader.next<WORD>(), 0xFFFF);
  reader.next<DWORD>();                       // help id
  EXPECT_EQ(reader.next<DWORD>(), DWORD{0});  // extended style
  EXPECT_EQ(reader.next<DWORD>(), DWORD{DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU});
  ASSERT_EQ(reader.next<WORD>(), expected.controls.size());
  expect_rect(reader, expected.rect);
  EXPECT_EQ(reader.name(), L"");  // no menu
  EXPECT_EQ(reader.name(), L"");  // the default dialog class
  EXPECT_EQ(reader.name(), widen(expected.caption));
  EXPECT_EQ(reader.next<WORD>(), expected.font_points);
  reader.next<WORD>();  // weight
  reader.next<WORD>();  // italic, character set
  EXPECT_EQ(reader.name(), widen(expected.font_face));

  for (const resources::DialogControl& control : expected.controls) {
    SCOPED_TRACE(control.id);
    reader.align_to_dword();
    reader.next<DWORD>();  // help id
    EXPECT_EQ(reader.next<DWORD>(), DWORD{0});
    EXPECT_EQ(reader.next<DWORD>(), win32_styles(control.styles));
    expect_rect(reader, control.rect);
    EXPECT_EQ(reader.next<std::int32_t>(), control.id);
    EXPECT_EQ(reader.name(), class_of(control.kind));
    EXPECT_EQ(reader.name(), widen(control.text));
    EXPECT_EQ(reader.next<WORD>(), 0);  // no creation data
  }
}

}  // namespace
}  // namespace plate
