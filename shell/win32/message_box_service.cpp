#include "shell/win32/message_box_service.h"

#include "resources/main_window.h"
#include "shell/win32/wide_text.h"

namespace plate {

void MessageBoxService::show_message(std::string_view text) {
  MessageBoxW(owner_, widen(text).c_str(), widen(resources::kMessageCaption).c_str(), MB_OK);
}

}  // namespace plate
