#pragma once
// The program's one window, class "EditBitmapWClass": the menu 認識, the keyboard and mouse
// commands and the file drop, each turned into a command of shell/commands.h and carried out on
// the Session, and the picture with its plate overlay in the client area. The window only routes
// and shows; the Session holds the workspace and does the work.

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "engine/message_service.h"
#include "shell/commands.h"

namespace plate {

class Session;

class MainWindow {
 public:
  // Registers the window class: double clicks, the arrow cursor, a black background, menu 102.
  // False when Windows refuses.
  static bool register_class(HINSTANCE instance);

  // `messages` tells the user of a picture that cannot be read.
  MainWindow(HINSTANCE instance, Session& session, MessageService& messages);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  // Destroys the window if it is still there: its procedure must not outlive this object.
  ~MainWindow();

  // Creates the 700 x 700 window "Recognition Demo" with menu 102, not yet shown. As it comes into
  // being its frame is filled white and it accepts dropped files. Null when creation fails.
  HWND create();

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);
  void perform(Command command);
  void drop(HDROP files);
  void paint();
  void repaint();

  HINSTANCE instance_;
  Session& session_;
  MessageService& messages_;
  HWND handle_ = nullptr;  // the window the procedure was last called for; null once destroyed
};

}  // namespace plate
