#include "shell/session.h"

#include "engine/template_file.h"
#include "image/picture_loader.h"
#include "present/outcome_messages.h"

namespace plate {

Session::Session() : display_(std::make_unique<Plane>()), loaded_(std::make_unique<Plane>()) {}

std::vector<OverlayItem> Session::overlay() const {
  if (overlay_hidden_) return {};
  return plan_overlay(plates_in_dialog_order(engine_.result()));
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

PictureOutcome Session::load_file(const std::filesystem::path& path, MessageService& messages) {
  const LoadedPicture loaded = load_picture(path, *loaded_);
  const PictureOutcome outcome = loaded.outcome;
  const std::string_view text = picture_message(loaded.outcome, loaded.bitmap_outcome);
  *display_ = *loaded_;
  overlay_hidden_ = true;
  if (!text.empty()) messages.show_message(text);
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
