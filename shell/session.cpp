#include "shell/session.h"

#include "engine/template_file.h"
#include "image/picture_loader.h"
#ifdef PLATE_SHELL_FINDER
#include "finder/found_plate_reading.h"
#endif
#include "present/outcome_messages.h"

namespace plate {

Session::Session() : display_(std::make_unique<Plane>()), loaded_(std::make_unique<Plane>()) {}

std::vector<OverlayItem> Session::overlay() const {
  if (overlay_hidden_) return {};
  return plan_overlay(plates_);
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
  if (outcome == PictureOutcome::loaded) mapping_ = loaded.mapping;
  const std::string_view text = picture_message(loaded.outcome, loaded.bitmap_outcome);
  *display_ = *loaded_;
  overlay_hidden_ = true;
  if (!text.empty()) messages.show_message(text);
  return outcome;
}

void Session::recognize() {
  plates_ = plates_in_dialog_order(engine_.run(*display_));
  overlay_hidden_ = false;
#ifdef PLATE_SHELL_FINDER
  if (!find_plates_) return;
  if (!sheet_engine_) {
    sheet_engine_ = std::make_unique<RecognitionEngine>();
    sheet_ = std::make_unique<Plane>();
  }
  sheet_engine_->use_templates(engine_.templates());
  const std::vector<FoundPlateReading> found =
      read_found_plates(*sheet_engine_, *display_, mapping_, *sheet_);
  std::erase_if(plates_, [&](const RunPlate& plate) {
    return !keeps_frame_plate(found, plate.frame, plate.worst_distance, plate.text);
  });
  for (const FoundPlateReading& reading : found) plates_.push_back(reading.plate);
#endif
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
