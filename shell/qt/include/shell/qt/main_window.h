#pragma once
// The program's one window: the menus "ファイル" (開く…) and "認識", the keyboard and mouse commands and the
// file drop, each turned into a command of shell/commands.h and carried out on the Session, and the picture
// with its plate overlay in the client area. The window only routes and shows; the Session holds
// the workspace and does the work.

#include <QMainWindow>
#include <filesystem>

#include "shell/commands.h"
#include "shell/qt/message_box_service.h"

namespace plate {

class ModalPresenter;
class PictureView;
class Session;

class MainWindow final : public QMainWindow {
  Q_OBJECT

 public:
  // Fills the frame white and accepts file drops, as the window comes into being.
  MainWindow(Session& session, ModalPresenter& presenter);

  // Start-up: shows the window with its white frame, then reads the pattern file, so that a
  // message about a missing file is owned by the window on the screen.
  void start();

  // Every way a picture arrives ends here: read it, show it, and drop the last run's overlay.
  void loadFile(const std::filesystem::path& path);

  QWidget& clientArea() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void perform(Command command);
  void showResult();
  // ファイル > 開く…: the file dialog, then loadFile for the file chosen.
  void openFile();

  Session& session_;
  ModalPresenter& presenter_;
  MessageBoxService messages_;
  PictureView* view_;
};

}  // namespace plate
