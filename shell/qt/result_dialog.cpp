#include "shell/qt/result_dialog.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "resources/result_dialog.h"
#include "shell/qt/display_string.h"
#include "shell/result_dialog_texts.h"

namespace plate {

ResultDialog::ResultDialog(std::uint32_t processing_ms, std::span<const RunPlate> plates,
                           QWidget& ownerClientArea)
    : TemplateDialog(resources::kResultDialog, ownerClientArea) {
  qobject_cast<QPlainTextEdit*>(control(resources::kResultBoxId))
      ->setPlainText(toDisplayString(compose_result_text(processing_ms, plates)));
  qobject_cast<QPlainTextEdit*>(control(resources::kContactBoxId))
      ->setPlainText(toDisplayString(compose_contact_text()));
  connect(qobject_cast<QPushButton*>(control(resources::kOkButtonId)), &QPushButton::clicked, this,
          &QDialog::accept);
}

}  // namespace plate
