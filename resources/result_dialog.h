#pragma once
// Dialog 106, the result dialog (language Japanese, 1041): a modal frame with a caption and a
// system menu. A Win32 resource script cannot include C++, so its DIALOGEX 106 repeats these
// numbers and texts; change the two together.

#include <array>

#include "dialog_template.h"

namespace plate::resources {

inline constexpr int kResultDialogId = 106;
inline constexpr int kOkButtonId = 1;  // IDOK
inline constexpr int kResultBoxId = 1000;
inline constexpr int kContactBoxId = 1001;

inline constexpr std::array<DialogControl, 4> kResultDialogControls{{
    {ControlKind::push_button, kOkButtonId, {93, 207, 50, 14}, kDefaultButton | kTabStop, "OK"},
    {ControlKind::edit,
     kResultBoxId,
     {7, 25, 225, 91},
     kMultiLine | kReadOnly | kAutoVerticalScroll | kAutoHorizontalScroll | kVerticalScrollBar | kBorder |
         kTabStop,
     ""},
    {ControlKind::static_text, kStaticControlId, {7, 7, 54, 16}, kLeftAligned | kGroupStart, "認識結果"},
    {ControlKind::edit,
     kContactBoxId,
     {7, 121, 225, 77},
     kMultiLine | kReadOnly | kAutoHorizontalScroll | kBorder | kTabStop,
     ""},
}};

inline constexpr DialogTemplate kResultDialog{
    kResultDialogId, {0, 0, 239, 228}, "認識結果", "ＭＳ Ｐゴシック", 9, kResultDialogControls,
};

}  // namespace plate::resources
