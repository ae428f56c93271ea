#pragma once
// The message service of the Windows program: a message box owned by the main window, captioned
// "メッセージ", with a single OK button. It returns when the user has closed the box.

#include <windows.h>

#include "engine/message_service.h"

namespace plate {

class MessageBoxService final : public MessageService {
 public:
  // The owner is given once the main window exists; the first message (a missing pattern file) is
  // shown only after that.
  void set_owner(HWND owner) { owner_ = owner; }
  void show_message(std::string_view text) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace plate
