#include "shell/qt/main_window.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <vector>

#include "resources/main_window.h"
#include "shell/drop_rule.h"
#include "shell/qt/display_string.h"
#include "shell/qt/modal_presenter.h"
#include "shell/qt/picture_view.h"
#include "shell/qt/result_dialog.h"
#include "shell/session.h"

namespace plate {

namespace {

// Only local files can be read; a drop that carries none is not accepted.
std::vector<std::filesystem::path> droppedFiles(const QMimeData& mime) {
  std::vector<std::filesystem::path> files;
  for (const QUrl& url : mime.urls()) {
    if (url.isLocalFile()) files.emplace_back(url.toLocalFile().toStdU16String());
  }
  return files;
}

Key keyOf(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Left:
      return Key::left_arrow;
    case Qt::Key_Right:
      return Key::right_arrow;
    default:
      return Key::other;
  }
}

MouseButton buttonOf(const QMouseEvent& event) {
  switch (event.button()) {
    case Qt::LeftButton:
      return MouseButton::left;
    case Qt::RightButton:
      return MouseButton::right;
    default:
      return MouseButton::other;
  }
}

}  // namespace

MainWindow::MainWindow(Session& session, ModalPresenter& presenter)
    : session_(session),
      presenter_(presenter),
      messages_(*this, presenter),
      view_(new PictureView(session, this)) {
  setWindowTitle(toDisplayString(resources::kWindowTitle));
  resize(resources::kWindowWidth, resources::kWindowHeight);
  setCentralWidget(view_);

  QMenu* file = menuBar()->addMenu(toDisplayString(resources::kFileMenuText));
  QAction* open = file->addAction(toDisplayString(resources::kOpenItemText));
  open->setShortcut(QKeySequence(toDisplayString(resources::kOpenItemShortcut)));
  connect(open, &QAction::triggered, this, &MainWindow::openFile);
  QMenu* recognition = menuBar()->addMenu(toDisplayString(resources::kRecognitionMenuText));
  QAction* plateRecognition = recognition->addAction(toDisplayString(resources::kPlateRecognitionItemText));
  plateRecognition->setData(resources::kPlateRecognitionCommand);
#ifdef PLATE_SHELL_FINDER
  QAction* findPlates = recognition->addAction(toDisplayString(resources::kFindPlatesItemText));
  findPlates->setCheckable(true);
  connect(findPlates, &QAction::toggled, this, [this](bool on) { session_.set_find_plates(on); });
#endif
  connect(menuBar(), &QMenuBar::triggered, this,
          [this](QAction* item) { perform(command_for_menu_item(item->data().toInt())); });

  session_.fill_frame(255);
  setAcceptDrops(true);
}

void MainWindow::start() {
  show();
  session_.load_templates(messages_);
}

QWidget& MainWindow::clientArea() const {
  return *view_;
}

void MainWindow::loadFile(const std::filesystem::path& path) {
  session_.load_file(path, messages_);
  view_->update();
}

void MainWindow::openFile() {
  const QString chosen = QFileDialog::getOpenFileName(this, toDisplayString(resources::kOpenDialogTitle), {},
                                                      toDisplayString(resources::kOpenDialogFilter));
  if (!chosen.isEmpty()) loadFile(chosen.toStdU16String());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // The arrows act as keys; every other key acts through the characters it types, so that the
  // keyboard layout decides where "-", "." and "g" are.
  if (const Command byKey = command_for_key(keyOf(*event)); byKey != Command::nothing) {
    perform(byKey);
    return;
  }
  for (const char32_t character : event->text().toUcs4()) perform(command_for_character(character));
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  perform(command_for_button_press(buttonOf(*event)));
}

// The second press of a double click means nothing, as in a window class that takes double clicks
// (Qt would otherwise treat it as one more press).
void MainWindow::mouseDoubleClickEvent(QMouseEvent*) {}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData() != nullptr && !droppedFiles(*event->mimeData()).empty())
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  raise();
  activateWindow();
  const std::vector<std::filesystem::path> files = droppedFiles(*event->mimeData());
  if (const std::optional<std::filesystem::path> path = file_to_read(files)) {
    loadFile(*path);
  } else {
    view_->update();
  }
  event->acceptProposedAction();
}

void MainWindow::perform(Command command) {
  const Aftermath next = session_.perform(command);
  if (next == Aftermath::nothing) return;
  if (next == Aftermath::show_result_then_repaint) showResult();
  view_->update();
}

// A run blocked the window until it returned; the dialog reads the run result it left, and the
// repaint after it draws the new overlay.
void MainWindow::showResult() {
  ResultDialog dialog(session_.result().processing_ms, session_.plates(), *view_);
  presenter_.present(dialog);
}

}  // namespace plate
