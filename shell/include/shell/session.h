#pragma once
// The program's engine, its shown and loaded planes, and what the user's commands do to them.
//
// A desktop front end owns one Session for the whole program and turns its window's events into
// these calls; it only draws and shows what they leave behind. Nothing here needs a window: the
// message service that the template loader and the bitmap reader report through is passed in.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "commands.h"
#include "engine/message_service.h"
#include "engine/recognition_engine.h"
#include "image/picture_outcome.h"
#include "present/overlay_plan.h"

namespace plate {

// What a window does once a command has been carried out.
enum class Aftermath {
  nothing,
  repaint,
  show_result_then_repaint,  // the modal result dialog over the new run result, then a repaint
};

class Session {
 public:
  // Everything starts all zero, as at program start: the display plane black, no run yet.
  Session();

  // The picture the window shows, and the last run's result.
  const Plane& display() const { return *display_; }
  const RunResult& result() const { return engine_.result(); }
  // The plates the window frames over the picture: the last run's, none after a picture arrives.
  std::vector<OverlayItem> overlay() const;

  // Reads the pattern file by its bare name from the working directory, once at start-up. When it
  // cannot be read, `messages` shows "EBMPlog00.patがありません。" and the program runs on with
  // empty templates. Returns what happened.
  TemplateLoadOutcome load_templates(MessageService& messages);

  // Fills the display plane with one byte value: 255 white, 0 black. The last run's outlines are
  // still drawn over the blank frame.
  void fill_frame(std::uint8_t level);

  // A picture arrives: reads it into the loaded plane (a JPEG, a PNG or a bitmap larger than the
  // frame decoded and fitted, where the program decodes them), copies the whole loaded plane to the
  // display plane whatever the outcome (a failed read shows black or the rows read so far), and
  // shows the window's message for a failure. The last run's overlay disappears; the rest of its
  // result stays.
  PictureOutcome load_file(const std::filesystem::path& path, MessageService& messages);

  // One recognition run over the display plane.
  void recognize();

  // Carries out a command on the workspace (blanking the frame, running a recognition), so that
  // every front end gives a key, a click or the menu item the same effect, and says what the
  // window must do next.
  Aftermath perform(Command command);

 private:
  RecognitionEngine engine_;
  std::unique_ptr<Plane> display_;
  std::unique_ptr<Plane> loaded_;
  bool overlay_hidden_ = false;  // a picture arrived after the last run
};

}  // namespace plate
