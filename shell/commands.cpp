#include "shell/commands.h"

#include "resources/main_window.h"

namespace plate {

Command command_for_character(char32_t character) {
  switch (character) {
    case U'-':
      return Command::whiten_frame;
    case U'.':
      return Command::blacken_frame;
    case U'G':
    case U'g':
    case U'V':
    case U'v':
      return Command::recognize;
    default:
      return Command::nothing;
  }
}

Command command_for_key(Key key) {
  return key == Key::left_arrow || key == Key::right_arrow ? Command::repaint : Command::nothing;
}

Command command_for_button_press(MouseButton button) {
  return button == MouseButton::left || button == MouseButton::right ? Command::repaint : Command::nothing;
}

Command command_for_menu_item(int command_id) {
  return command_id == resources::kPlateRecognitionCommand ? Command::recognize : Command::nothing;
}

}  // namespace plate
