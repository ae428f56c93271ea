#pragma once
// A dialog built from a dialog template (resources/dialog_template.h) as Win32 builds one: the
// template's font for the dialog and all its controls, every rectangle turned from dialog units
// into pixels with that font's metrics, a fixed-size modal frame, and the dialog placed at the
// template's position in its owner's client area.

#include <QDialog>
#include <QHash>

#include "resources/dialog_template.h"
#include "shell/dialog_units.h"

namespace plate {

// The template's face, or when it is missing IPAPGothic (Debian's fonts-ipafont-gothic), which
// has the same metrics as the Windows face "ＭＳ Ｐゴシック".
QFont dialogFont(const resources::DialogTemplate& dialog);

// The metrics Win32 lays a dialog out by: the average width of the 52 Latin letters, and the
// character height (ascent plus descent).
DialogFontMetrics dialogFontMetrics(const QFont& font);

class TemplateDialog : public QDialog {
  Q_OBJECT

 public:
  // Owned by the window of `ownerClientArea`; the template's (x, y) counts from that widget's
  // top-left corner, as a Win32 dialog's position counts from its owner's client area.
  TemplateDialog(const resources::DialogTemplate& dialog, QWidget& ownerClientArea);

  // The control with this template id, named "control_<id>"; nullptr when there is none.
  QWidget* control(int id) const { return controls_.value(id, nullptr); }
  const DialogFontMetrics& fontMetrics() const { return metrics_; }

 private:
  QWidget* makeControl(const resources::DialogControl& control);

  DialogFontMetrics metrics_;
  QHash<int, QWidget*> controls_;
};

}  // namespace plate
