#include "shell/qt/message_box_service.h"

#include <QMessageBox>

#include "resources/main_window.h"
#include "shell/qt/display_string.h"
#include "shell/qt/modal_presenter.h"

namespace plate {

void MessageBoxService::show_message(std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, toDisplayString(resources::kMessageCaption), toDisplayString(text),
                  QMessageBox::Ok, &owner_);
  presenter_.present(box);
}

}  // namespace plate
