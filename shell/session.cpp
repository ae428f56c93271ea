#include "shell/session.h"

#include "engine/template_file.h"
#include "present/outcome_messages.h"

namespace plate {

Session::Session() : display_(std::make_unique<Plane>()), loaded_(std::make_unique<Plane>()) {}

std::vector<OverlayItem> Session::overlay() const {
  if (overlay_hidden_) return {};
  return plan_overlay(engine_.result().groups, engine_.result().next_group_id);
}

TemplateLoadOutcome Session::load_templates(MessageService& messages) {
  const TemplateLoadOutcome outcome = engine_.load_templates(kPatternFileName);
  if (const std::string text = template_message(outcome, kPatternFileName); !text.empty())
    messages.show_message(text);
  return outcome;
}

void Session::fill_frame(std::uint8_t level) {
  display_->fill(level);
}

ReadOutcome Session::load_file(const std::filesystem::path& path, MessageService& messages) {
  const ReadOutcome outcome = read_bitmap(path, *loaded_);
  *display_ = *loaded_;
  overlay_hidden_ = true;
  if (const std::string_view text = bitmap_message(outcome); !text.empty()) messages.show_message(text);
  return outcome;
}

void Session::recognize() {
  engine_.run(*display_);
  overlay_hidden_ = false;
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
