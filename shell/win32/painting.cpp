#include "shell/win32/painting.h"

#include "present/plate_text.h"
#include "shell/win32/wide_text.h"

namespace plate {

namespace {

constexpr COLORREF to_colorref(Rgb colour) {
  return RGB(colour.red, colour.green, colour.blue);
}

// A Plane is a bottom-up 24-bit DIB as it stands: a positive height says row 0 is the bottom row.
BITMAPINFO display_plane_description() {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kFrameWidth;
  info.bmiHeader.biHeight = kFrameHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(kPlaneBytes);
  return info;
}

}  // namespace

void paint_frame(HDC dc, const Plane& display, std::span<const OverlayItem> overlay) {
  const BITMAPINFO description = display_plane_description();
  StretchDIBits(dc, 0, 0, kFrameWidth, kFrameHeight, 0, 0, kFrameWidth, kFrameHeight, display.bytes.data(),
                &description, DIB_RGB_COLORS, SRCCOPY);

  const HPEN frame_pen = CreatePen(PS_SOLID, kOverlayPenWidth, to_colorref(kOverlayFrameColour));
  const HGDIOBJ previous_pen = SelectObject(dc, frame_pen);
  for (const OverlayItem& item : overlay) {
    const auto& path = item.frame_path;
    MoveToEx(dc, path.front().x, path.front().y, nullptr);
    for (std::size_t i = 1; i < path.size(); ++i) LineTo(dc, path[i].x, path[i].y);

    SetTextColor(dc, to_colorref(kOverlayLabelColour));
    const std::wstring label = widen(plate_text_to_utf8(item.label));
    TextOutW(dc, item.label_origin.x, item.label_origin.y, label.c_str(), static_cast<int>(label.size()));
  }
  SelectObject(dc, previous_pen);
  DeleteObject(frame_pen);
}

}  // namespace plate
