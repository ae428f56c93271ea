#pragma once
// The main window as the desktop knows it: its class name (the X11 WM_CLASS and Wayland app id of
// the Qt program), title, size, and menu 102 (language Japanese, 1041). A Win32 resource script
// repeats the menu in its MENU 102; change the two together.

#include <string_view>

namespace plate::resources {

inline constexpr std::string_view kWindowClassName = "EditBitmapWClass";
inline constexpr std::string_view kWindowTitle = "Recognition Demo";
inline constexpr int kWindowWidth = 700;  // pixels
inline constexpr int kWindowHeight = 700;

inline constexpr int kMainMenuId = 102;
inline constexpr std::string_view kRecognitionMenuText = "認識";                       // the popup
inline constexpr std::string_view kPlateRecognitionItemText = "ナンバープレート認識";  // its one item
inline constexpr int kPlateRecognitionCommand = 40032;

// Every message box of the program carries this caption and a single OK button.
inline constexpr std::string_view kMessageCaption = "メッセージ";

}  // namespace plate::resources
