#pragma once
// The main window as the desktop knows it: its class name (the X11 WM_CLASS and Wayland app id of
// the Qt program), title, size, and menu 102 (language Japanese, 1041). The menu's numbers and
// texts come from resource_definitions.h, which the Win32 resource script reads too.

#include <string_view>

#include "resource_definitions.h"

namespace plate::resources {

inline constexpr std::string_view kWindowClassName = "EditBitmapWClass";
inline constexpr std::string_view kWindowTitle = "Recognition Demo";
inline constexpr int kWindowWidth = 700;  // pixels
inline constexpr int kWindowHeight = 700;

inline constexpr int kMainMenuId = PLATE_RC_MAIN_MENU;
// The popup and its one item.
inline constexpr std::string_view kRecognitionMenuText = PLATE_RC_RECOGNITION_MENU_TEXT;
inline constexpr std::string_view kPlateRecognitionItemText = PLATE_RC_PLATE_RECOGNITION_ITEM_TEXT;
inline constexpr int kPlateRecognitionCommand = PLATE_RC_PLATE_RECOGNITION_COMMAND;

// The Qt window's file menu, to the left of 認識, and the dialog its one item opens. The Win32
// window reads dropped 24-bit bitmaps only and has no such menu.
inline constexpr std::string_view kFileMenuText = "ファイル";
inline constexpr std::string_view kOpenItemText = "開く…";
inline constexpr std::string_view kOpenItemShortcut = "Ctrl+O";
inline constexpr std::string_view kOpenDialogTitle = "画像を開く";
inline constexpr std::string_view kOpenDialogFilter = "画像 (*.bmp *.jpg *.jpeg *.png);;すべてのファイル (*)";

// The Qt window's checkable item under 認識, where the plate finder is built: find the photo's
// plates first and read them straightened (plate-read --find-plates).
inline constexpr std::string_view kFindPlatesItemText = "プレートを探してから読む";

// Every message box of the program carries this caption and a single OK button.
inline constexpr std::string_view kMessageCaption = "メッセージ";

}  // namespace plate::resources
