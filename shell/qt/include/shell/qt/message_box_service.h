#pragma once
// The message service of the desktop program: a message box owned by the main window, captioned
// "メッセージ", with a single OK button and no icon. It returns when the user has closed the box.

#include "engine/message_service.h"

class QWidget;

namespace plate {

class ModalPresenter;

class MessageBoxService final : public MessageService {
 public:
  MessageBoxService(QWidget& owner, ModalPresenter& presenter) : owner_(owner), presenter_(presenter) {}
  void show_message(std::string_view text) override;

 private:
  QWidget& owner_;
  ModalPresenter& presenter_;
};

}  // namespace plate
