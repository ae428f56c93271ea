#pragma once
// What the main window shows: the display plane at full size from the client area's top-left
// corner, whatever the window's size, and over it the plate overlay of the last run.

#include <windows.h>

#include <span>

#include "engine/plane.h"
#include "present/overlay_plan.h"

namespace plate {

// Draws into `dc` (the main window's, between BeginPaint and EndPaint, or any other). Each plate
// gets a frame in a 5-pixel cyan pen and its text in blue on the device context's default font,
// background and alignment. Leaves the device context's pen as it found it; changes its text colour.
void paint_frame(HDC dc, const Plane& display, std::span<const OverlayItem> overlay);

}  // namespace plate
