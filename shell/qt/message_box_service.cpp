#include "message_box_service.h"

#include <QMessageBox>

#include "display_string.h"
#include "modal_presenter.h"
#include "resources/main_window.h"

namespace plate {

void MessageBoxService::show_message(std::string_view text) {
  QMessageBox box(QMessageBox::NoIcon, toDisplayString(resources::kMessageCaption), toDisplayString(text),
                  QMessageBox::Ok, &owner_);
  presenter_.present(box);
}

}  // namespace plate
