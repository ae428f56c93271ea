#include "shell/qt/result_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "resources/result_dialog.h"
#include "shell/qt/display_string.h"
#include "shell/result_dialog_texts.h"

namespace plate {

ResultDialog::ResultDialog(const RunResult& result, QWidget& ownerClientArea)
    : TemplateDialog(resources::kResultDialog, ownerClientArea) {
  qobject_cast<QPlainTextEdit*>(control(resources::kResultBoxId))
      ->setPlainText(
          toDisplayString(compose_result_text(result.processing_ms, plates_in_dialog_order(result))));
  qobject_cast<QPlainTextEdit*>(control(resources::kContactBoxId))
      ->setPlainText(toDisplayString(compose_contact_text()));
  connect(qobject_cast<QPushButton*>(control(resources::kOkButtonId)), &QPushButton::clicked, this,
          &QDialog::accept);
}

}  // namespace plate
