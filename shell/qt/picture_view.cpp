#include "shell/qt/picture_view.h"

#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include "present/overlay_plan.h"
#include "present/plate_text.h"
#include "shell/qt/display_string.h"

namespace plate {

namespace {

QColor toColour(Rgb colour) {
  return QColor(colour.red, colour.green, colour.blue);
}

// The plane's rows run bottom-up; QImage's run top-down, so the wrapped rows are flipped into a
// copy that the painter can draw as it stands.
QImage toImage(const Plane& plane) {
  const QImage bottom_up(plane.bytes.data(), kFrameWidth, kFrameHeight, kRowStride, QImage::Format_BGR888);
  return bottom_up.mirrored(false, true);
}

// Win32's default text output: the window's own font drawn without smoothing (as GDI draws its
// default bitmap font), top-left alignment, and an opaque cell, the text's advance wide and the
// font's height tall, in the background colour behind the glyphs.
void drawLabel(QPainter& painter, const OverlayItem& item) {
  const QString text = toDisplayString(plate_text_to_utf8(item.label));
  const QFontMetrics metrics = painter.fontMetrics();
  const QRect cell(item.label_origin.x, item.label_origin.y, metrics.horizontalAdvance(text),
                   metrics.height());
  painter.fillRect(cell, toColour(kOverlayLabelBackground));
  painter.setPen(toColour(kOverlayLabelColour));
  painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// A Win32 pen wider than one pixel has round ends and joins, and GDI centres it on the pixel a
// point names; Qt centres it on the pixel's top-left corner, so the path is moved by half a pixel
// to cover the same pixels (two on either side of the line).
void drawFrame(QPainter& painter, const OverlayItem& item) {
  QPolygonF path;
  for (const WindowPoint& point : item.frame_path) path << QPointF(point.x + 0.5, point.y + 0.5);
  painter.setPen(
      QPen(toColour(kOverlayFrameColour), kOverlayPenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPolyline(path);
}

void drawOverlay(QPainter& painter, const std::vector<OverlayItem>& overlay) {
  for (const OverlayItem& item : overlay) {
    drawFrame(painter, item);
    drawLabel(painter, item);
  }
}

}  // namespace

PictureView::PictureView(const Session& session, QWidget* parent) : QWidget(parent), session_(session) {
  QPalette classBackground = palette();
  classBackground.setColor(QPalette::Window, Qt::black);
  setPalette(classBackground);
  setAutoFillBackground(true);
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QFont labelFont = font();
  labelFont.setStyleStrategy(QFont::NoAntialias);
  painter.setFont(labelFont);
  painter.drawImage(0, 0, toImage(session_.display()));
  drawOverlay(painter, session_.overlay());
}

}  // namespace plate
