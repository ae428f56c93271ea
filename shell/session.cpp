#include "session.h"

#include <cstring>

#include "engine/recognition.h"

namespace plate {

Session::Session() : workspace_(std::make_unique<Workspace>()), loaded_(std::make_unique<Plane>()) {}

bool Session::load_templates(MessageService& messages) {
  return plate::load_templates(workspace_->templates, messages);
}

void Session::fill_frame(std::uint8_t level) {
  workspace_->display.fill(level);
}

ReadOutcome Session::load_file(const std::filesystem::path& path, MessageService& messages) {
  const ReadOutcome outcome = read_bitmap(path, *loaded_, messages);
  workspace_->display = *loaded_;
  std::memset(&workspace_->result.groups, 0, sizeof workspace_->result.groups);
  return outcome;
}

void Session::recognize() {
  run_recognition(*workspace_);
}

Aftermath Session::perform(Command command) {
  switch (command) {
    case Command::nothing:
      return Aftermath::nothing;
    case Command::whiten_frame:
      fill_frame(255);
      return Aftermath::repaint;
    case Command::blacken_frame:
      fill_frame(0);
      return Aftermath::repaint;
    case Command::recognize:
      recognize();
      return Aftermath::show_result_then_repaint;
    case Command::repaint:
      return Aftermath::repaint;
  }
  return Aftermath::nothing;
}

}  // namespace plate
