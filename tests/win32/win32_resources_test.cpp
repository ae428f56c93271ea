// Menu 102 as the resource compiler built it into this program, against the description the other
// front ends use (resources/*.h). Catches a script saved or read in the wrong code page (the
// Japanese texts garbled); dialog 106's texts are checked where the shell test creates it.

#include <gtest/gtest.h>
#include <windows.h>

#include <span>
#include <string>

#include "resources/main_window.h"
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

}  // namespace
}  // namespace plate
