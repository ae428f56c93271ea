#pragma once
// The shape of a dialog template, as a Win32 resource script states it: the dialog's rectangle,
// caption and font, and each control's kind, id, rectangle, styles and text. Rectangles are in
// dialog units, which the front end turns into pixels from the dialog font's metrics
// (shell/dialog_units.h), so the layout keeps its proportions whatever the font's size.

#include <cstdint>
#include <span>
#include <string_view>

namespace plate::resources {

struct DialogUnitRect {
  int x;  // dialog units from the left: 4 to an average character width
  int y;  // dialog units from the top: 8 to a character height
  int width;
  int height;
};

enum class ControlKind { push_button, edit, static_text };

// The control styles the templates use, by what they do rather than by their Win32 bit values.
enum ControlStyle : std::uint32_t {
  kDefaultButton = 1u << 0,         // BS_DEFPUSHBUTTON: Enter presses it
  kTabStop = 1u << 1,               // WS_TABSTOP
  kGroupStart = 1u << 2,            // WS_GROUP
  kBorder = 1u << 3,                // WS_BORDER
  kMultiLine = 1u << 4,             // ES_MULTILINE
  kReadOnly = 1u << 5,              // ES_READONLY
  kAutoVerticalScroll = 1u << 6,    // ES_AUTOVSCROLL
  kAutoHorizontalScroll = 1u << 7,  // ES_AUTOHSCROLL: lines are not wrapped
  kVerticalScrollBar = 1u << 8,     // WS_VSCROLL: the bar is always there
  kLeftAligned = 1u << 9,           // SS_LEFT: left-aligned text, wrapped at word ends
};

inline constexpr int kStaticControlId = -1;  // IDC_STATIC

struct DialogControl {
  ControlKind kind;
  int id;
  DialogUnitRect rect;
  std::uint32_t styles;  // ControlStyle bits
  std::string_view text;
};

struct DialogTemplate {
  int resource_id;
  DialogUnitRect rect;  // the client area; (0, 0) is the owner's client area's top-left corner
  std::string_view caption;
  std::string_view font_face;
  int font_points;
  std::span<const DialogControl> controls;  // in tab order
};

}  // namespace plate::resources
