#pragma once
// The message service of plate-read: every message the engine or the reader gives about a file is
// kept as a stderr line prefixed with that file's name. Lines are kept rather than printed at once
// so that parallel workers never interleave them and they come out in input order.

#include <string>
#include <string_view>

#include "engine/message_service.h"

namespace plate::cli {

class PrefixedMessages final : public MessageService {
 public:
  explicit PrefixedMessages(std::string prefix) : prefix_(std::move(prefix)) {}

  void show_message(std::string_view text) override {
    if (first_.empty()) first_ = text;
    lines_ += prefix_;
    lines_ += ": ";
    lines_ += text;
    lines_ += '\n';
  }

  const std::string& first_message() const { return first_; }  // empty when none was given
  const std::string& stderr_lines() const { return lines_; }

 private:
  std::string prefix_;
  std::string first_;
  std::string lines_;
};

}  // namespace plate::cli
