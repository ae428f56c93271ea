#include "shell/qt/template_dialog.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "shell/qt/display_string.h"

namespace plate {

namespace {

using resources::ControlKind;
using resources::DialogControl;

bool has(const DialogControl& control, resources::ControlStyle style) {
  return (control.styles & style) != 0;
}

QRect toQRect(const PixelRect& rect) {
  return {rect.x, rect.y, rect.width, rect.height};
}

Qt::FocusPolicy tabStopPolicy(const DialogControl& control) {
  return has(control, resources::kTabStop) ? Qt::StrongFocus : Qt::NoFocus;
}

// Every edit box of the templates is multi-line; Win32's read-only edit still lets the user
// select and copy with mouse and keyboard.
QWidget* makeEditBox(const DialogControl& control, QWidget* parent) {
  auto* edit = new QPlainTextEdit(toDisplayString(control.text), parent);
  edit->setReadOnly(has(control, resources::kReadOnly));
  if (edit->isReadOnly())
    edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  edit->setLineWrapMode(has(control, resources::kAutoHorizontalScroll) ? QPlainTextEdit::NoWrap
                                                                       : QPlainTextEdit::WidgetWidth);
  edit->setVerticalScrollBarPolicy(has(control, resources::kVerticalScrollBar) ? Qt::ScrollBarAlwaysOn
                                                                               : Qt::ScrollBarAlwaysOff);
  edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  if (!has(control, resources::kBorder)) edit->setFrameShape(QFrame::NoFrame);
  return edit;
}

}  // namespace

QFont dialogFont(const resources::DialogTemplate& dialog) {
  QFont font;
  font.setFamilies(
      {toDisplayString(dialog.font_face), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")});
  font.setPointSize(dialog.font_points);
  return font;
}

DialogFontMetrics dialogFontMetrics(const QFont& font) {
  const QFontMetrics metrics(font);
  return {average_char_width(metrics.horizontalAdvance(QString::fromLatin1(kAverageWidthAlphabet))),
          metrics.height()};
}

TemplateDialog::TemplateDialog(const resources::DialogTemplate& dialog, QWidget& ownerClientArea)
    : QDialog(ownerClientArea.window(),
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setModal(true);
  setWindowTitle(toDisplayString(dialog.caption));
  setFont(dialogFont(dialog));
  metrics_ = dialogFontMetrics(font());
  const PixelRect frame = to_pixels(dialog.rect, metrics_);
  setFixedSize(frame.width, frame.height);
  move(ownerClientArea.mapToGlobal(QPoint(frame.x, frame.y)));
  for (const DialogControl& control : dialog.controls) {
    QWidget* widget = makeControl(control);
    widget->setObjectName(QStringLiteral("control_%1").arg(control.id));
    widget->setGeometry(toQRect(to_pixels(control.rect, metrics_)));
    widget->setFocusPolicy(tabStopPolicy(control));
    controls_.insert(control.id, widget);
  }
}

QWidget* TemplateDialog::makeControl(const DialogControl& control) {
  switch (control.kind) {
    case ControlKind::push_button: {
      auto* button = new QPushButton(toDisplayString(control.text), this);
      button->setDefault(has(control, resources::kDefaultButton));
      return button;
    }
    case ControlKind::edit:
      return makeEditBox(control, this);
    case ControlKind::static_text: {
      auto* label = new QLabel(toDisplayString(control.text), this);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(has(control, resources::kLeftAligned));
      return label;
    }
  }
  return nullptr;
}

}  // namespace plate
