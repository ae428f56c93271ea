// plate-demo: the number plate reader's desktop program. Open a picture (plate-demo FILE, the
// menu ファイル > 開く…, or a drop on the window), then choose 認識 > ナンバープレート認識 (or
// press G or V) to read its plates. The pattern file EBMPlog00.pat is read from the working
// directory.

#include <QApplication>

#include "resources/main_window.h"
#include "shell/qt/display_string.h"
#include "shell/qt/main_window.h"
#include "shell/qt/modal_presenter.h"
#include "shell/session.h"

int main(int argc, char* argv[]) {
  // The application name is the class of the X11 WM_CLASS; the desktop file name is the Wayland
  // app id. Both carry the window class name, and the desktop entry is named after it.
  QApplication::setApplicationName(plate::toDisplayString(plate::resources::kWindowClassName));
  QApplication application(argc, argv);
  QGuiApplication::setDesktopFileName(plate::toDisplayString(plate::resources::kWindowClassName));

  plate::Session session;
  plate::ExecPresenter presenter;
  plate::MainWindow window(session, presenter);
  window.start();
  // plate-demo FILE opens FILE as a drop would, once the window is up.
  if (const QStringList arguments = QApplication::arguments(); arguments.size() > 1)
    window.loadFile(arguments[1].toStdU16String());
  return QApplication::exec();
}
