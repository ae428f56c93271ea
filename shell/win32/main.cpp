// plate-demo.exe: the number plate reader's Windows program. Drop a 24-bit bitmap on the window,
// then choose 認識 > ナンバープレート認識 (or press G or V) to read its plates. The pattern file
// EBMPlog00.pat is read from the working directory; the command line is not read.

#include <windows.h>

#include "shell/session.h"
#include "shell/win32/main_window.h"
#include "shell/win32/message_box_service.h"

namespace {

// GetMessageW gives -1 on an error (a bad window handle); the loop ends then as on WM_QUIT rather
// than spin on the error.
void run_message_loop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);  // key presses become the WM_CHAR messages that carry the commands
    DispatchMessageW(&message);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show_mode) {
  if (!plate::MainWindow::register_class(instance)) return 0;

  plate::Session session;
  plate::MessageBoxService messages;
  plate::MainWindow window(instance, session, messages);
  const HWND handle = window.create();
  if (handle == nullptr) return 0;
  messages.set_owner(handle);
  ShowWindow(handle, show_mode);
  UpdateWindow(handle);

  // After the window is on the screen, so that a message about a missing file has an owner there.
  session.load_templates(messages);
  run_message_loop();
  return 0;
}
