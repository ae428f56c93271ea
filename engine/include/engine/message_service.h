#pragma once
// The one way the engine and the bitmap reader tell the user of a failure.
//
// The front end supplies it: the desktop shows a message box captioned "メッセージ" with one OK
// button and returns when the user has closed it; the command-line reader prints to stderr.
// Texts are UTF-8; the front end converts them to whatever its platform shows.

#include <string_view>

namespace plate {

class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual void show_message(std::string_view text) = 0;
};

}  // namespace plate
