// plate-demo-screenshots: pictures of the desktop program for its documentation. Drives the real
// window the way a person would (drops a picture on it, then types "g"), off screen, and saves the
// main window and the result dialog as PNG files.
//
//   plate-demo-screenshots <picture.bmp> <output-folder>
//
// Run it in a folder that holds EBMPlog00.pat, as the program itself is.

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <cstdio>

#include "shell/qt/main_window.h"
#include "shell/qt/modal_presenter.h"
#include "shell/session.h"

namespace {

// Saves the result dialog instead of waiting for a person to close it. A message box means the
// pictures would not show what the program does (no pattern file, an unreadable picture): its
// text is kept to be reported, and nothing is saved.
class SavingPresenter final : public plate::ModalPresenter {
 public:
  explicit SavingPresenter(QDir folder) : folder_(std::move(folder)) {}

  void present(QDialog& dialog) override {
    if (const auto* box = qobject_cast<QMessageBox*>(&dialog)) {
      messages_ << box->text();
      return;
    }
    dialog.show();
    saved_ = dialog.grab().save(folder_.filePath(QStringLiteral("plate-demo-result.png")));
    dialog.accept();
  }
  const QStringList& messages() const { return messages_; }
  bool resultSaved() const { return saved_; }

 private:
  QDir folder_;
  QStringList messages_;
  bool saved_ = false;
};

void dropFile(QWidget& window, const QString& path) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())});
  const QPoint centre = window.rect().center();
  QDragEnterEvent enter(centre, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  QDropEvent drop(QPointF(centre), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
}

void typeCharacter(QWidget& window, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(&window, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(&window, &release);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() != 3) {
    std::fprintf(stderr, "usage: plate-demo-screenshots <picture.bmp> <output-folder>\n");
    return 2;
  }
  const QDir folder(arguments[2]);

  plate::Session session;
  SavingPresenter presenter(folder);
  plate::MainWindow window(session, presenter);
  window.start();
  dropFile(window, arguments[1]);
  typeCharacter(window, Qt::Key_G, QStringLiteral("g"));
  QApplication::processEvents();
  for (const QString& message : presenter.messages()) {
    std::fprintf(stderr, "plate-demo-screenshots: the program said: %s\n", qPrintable(message));
  }
  if (!presenter.messages().isEmpty()) return 1;
  if (!presenter.resultSaved() ||
      !window.grab().save(folder.filePath(QStringLiteral("plate-demo-window.png")))) {
    std::fprintf(stderr, "plate-demo-screenshots: could not write the pictures to %s\n",
                 qPrintable(folder.absolutePath()));
    return 1;
  }
  return 0;
}
