#pragma once
// What the user's actions on the main window do. Every front end maps its own events to these
// inputs, so the characters, keys and menu item mean the same thing on every desktop.

namespace plate {

enum class Command {
  nothing,
  whiten_frame,   // fill the display plane white; the last run's outlines stay
  blacken_frame,  // fill it black; the outlines stay
  recognize,      // one run, then the modal result dialog, then a repaint
  repaint,        // the picture and the results are not changed
};

// A typed character (what a key press means in the keyboard's layout, not the key itself).
Command command_for_character(char32_t character);

// A key as such, for the keys that type no character.
enum class Key { left_arrow, right_arrow, other };
Command command_for_key(Key key);

enum class MouseButton { left, right, other };
Command command_for_button_press(MouseButton button);

// A menu item, by its command id.
Command command_for_menu_item(int command_id);

}  // namespace plate
