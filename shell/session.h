#pragma once
// The program's one workspace and one loaded plane, and what the user's commands do to them.
//
// A desktop front end owns one Session for the whole program and turns its window's events into
// these calls; it only draws and shows what they leave behind. Nothing here needs a window: the
// message service that the template loader and the bitmap reader report through is passed in.

#include <cstdint>
#include <filesystem>
#include <memory>

#include "commands.h"
#include "engine/message_service.h"
#include "engine/workspace.h"
#include "image/bitmap_reader.h"

namespace plate {

// What a window does once a command has been carried out.
enum class Aftermath {
  nothing,
  repaint,
  show_result_then_repaint,  // the modal result dialog over the new run result, then a repaint
};

class Session {
 public:
  // The workspace starts all zero, as at program start: the display plane black, no run yet.
  Session();

  const Workspace& workspace() const { return *workspace_; }
  // For tests and tools that set up a run result without running one.
  Workspace& workspace() { return *workspace_; }

  // Reads the pattern file by its bare name from the working directory, once at start-up.
  // Returns whether it was opened; when not, `messages` has shown why.
  bool load_templates(MessageService& messages);

  // Fills the display plane with one byte value: 255 white, 0 black. The group table is not
  // touched, so the last run's outlines are drawn over the blank frame.
  void fill_frame(std::uint8_t level);

  // A picture arrives: reads it into the loaded plane, copies the whole loaded plane to the display
  // plane whatever the outcome (a failed read shows black or the rows read so far), and clears the
  // group table so that the last run's overlay disappears. The rest of the run result stays.
  ReadOutcome load_file(const std::filesystem::path& path, MessageService& messages);

  // One recognition run over the display plane.
  void recognize();

  // Carries out a command on the workspace (blanking the frame, running a recognition), so that
  // every front end gives a key, a click or the menu item the same effect, and says what the
  // window must do next.
  Aftermath perform(Command command);

 private:
  std::unique_ptr<Workspace> workspace_;  // about 10 MB: on the heap, once
  std::unique_ptr<Plane> loaded_;
};

}  // namespace plate
