#pragma once
// Dialog 106, the result dialog (language Japanese, 1041): a modal frame with a caption and a
// system menu. Its numbers and texts come from resource_definitions.h, which the Win32 resource
// script reads too; the styles are stated in both, in their own terms: change the two together.

#include <array>

#include "dialog_template.h"
#include "resource_definitions.h"

namespace plate::resources {

inline constexpr int kResultDialogId = PLATE_RC_RESULT_DIALOG;
inline constexpr int kOkButtonId = 1;  // IDOK
inline constexpr int kResultBoxId = PLATE_RC_RESULT_BOX;
inline constexpr int kContactBoxId = PLATE_RC_CONTACT_BOX;

inline constexpr std::array<DialogControl, 4> kResultDialogControls{{
    {ControlKind::push_button,
     kOkButtonId,
     {PLATE_RC_OK_BUTTON_RECT},
     kDefaultButton | kTabStop,
     PLATE_RC_OK_BUTTON_TEXT},
    {ControlKind::edit,
     kResultBoxId,
     {PLATE_RC_RESULT_BOX_RECT},
     kMultiLine | kReadOnly | kAutoVerticalScroll | kAutoHorizontalScroll | kVerticalScrollBar | kBorder |
         kTabStop,
     ""},
    {ControlKind::static_text,
     kStaticControlId,
     {PLATE_RC_RESULT_LABEL_RECT},
     kLeftAligned | kGroupStart,
     PLATE_RC_RESULT_LABEL_TEXT},
    {ControlKind::edit,
     kContactBoxId,
     {PLATE_RC_CONTACT_BOX_RECT},
     kMultiLine | kReadOnly | kAutoHorizontalScroll | kBorder | kTabStop,
     ""},
}};

inline constexpr DialogTemplate kResultDialog{
    kResultDialogId,           {PLATE_RC_RESULT_DIALOG_RECT}, PLATE_RC_RESULT_DIALOG_CAPTION,
    PLATE_RC_DIALOG_FONT_FACE, PLATE_RC_DIALOG_FONT_POINTS,   kResultDialogControls,
};

}  // namespace plate::resources
