// The desktop program's window, driven as a person drives it: files dropped on it, keys typed,
// mouse buttons pressed and the menu item chosen, on Qt's offscreen platform. Dialogs and message
// boxes are handed to a recording presenter, so nothing waits for a person to close them, except
// in the test that runs the real modal loop and closes the dialog as a person would.

#include "shell/qt/main_window.h"

#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <memory>
#include <vector>

#include "image/bitmap_writer.h"
#include "resources/result_dialog.h"
#include "shell/overlay_plan.h"
#include "shell/qt/modal_presenter.h"
#include "shell/qt/result_dialog.h"
#include "shell/result_dialog_texts.h"
#include "shell/session.h"

namespace plate {

namespace {

const QColor kCyan(0, 255, 255);
const QColor kBlue(0, 0, 255);

// What one presented dialog or message box showed, read while it was up.
struct Presented {
  QString title;
  QString text;  // a message box's text
  QMessageBox::StandardButtons buttons;
  QString resultText;  // the result dialog's two boxes and its heading
  QString contactText;
  QString heading;
  bool layoutMatchesTemplate = false;
  QWidget* owner = nullptr;
  bool ownerVisible = false;
  int ownerFrameGreen = -1;  // the top-left pixel of the frame at that moment
};

class RecordingPresenter final : public ModalPresenter {
 public:
  void present(QDialog& dialog) override;
  Session* session = nullptr;
  std::vector<Presented> shown;
};

QString plainText(const QDialog& dialog, int id) {
  const auto* box = dialog.findChild<QPlainTextEdit*>(QStringLiteral("control_%1").arg(id));
  return box != nullptr ? box->toPlainText() : QString();
}

bool layoutMatchesTemplate(const TemplateDialog& dialog) {
  const PixelRect frame = to_pixels(resources::kResultDialog.rect, dialog.fontMetrics());
  if (dialog.minimumSize() != QSize(frame.width, frame.height) ||
      dialog.maximumSize() != dialog.minimumSize())
    return false;
  for (const resources::DialogControl& control : resources::kResultDialog.controls) {
    const PixelRect r = to_pixels(control.rect, dialog.fontMetrics());
    const QWidget* widget = dialog.control(control.id);
    if (widget == nullptr || widget->geometry() != QRect(r.x, r.y, r.width, r.height)) return false;
  }
  return true;
}

void RecordingPresenter::present(QDialog& dialog) {
  Presented p;
  p.title = dialog.windowTitle();
  p.owner = dialog.parentWidget();
  p.ownerVisible = p.owner != nullptr && p.owner->isVisible();
  if (session != nullptr)
    p.ownerFrameGreen = session->workspace().display.green_unchecked(0, kFrameHeight - 1);
  if (const auto* box = qobject_cast<QMessageBox*>(&dialog)) {
    p.text = box->text();
    p.buttons = box->standardButtons();
  }
  if (const auto* result = qobject_cast<ResultDialog*>(&dialog)) {
    p.resultText = plainText(dialog, resources::kResultBoxId);
    p.contactText = plainText(dialog, resources::kContactBoxId);
    const auto* heading = qobject_cast<QLabel*>(result->control(resources::kStaticControlId));
    p.heading = heading != nullptr ? heading->text() : QString();
    p.layoutMatchesTemplate = layoutMatchesTemplate(*result);
  }
  shown.push_back(p);
}

// A test picture whose every pixel differs from its neighbours: red and green count columns and
// rows from the top-left corner.
QColor testColour(int x, int rowFromTop) {
  return QColor(x % 256, rowFromTop % 256, 100);
}

void writePicture(const QString& path, int width, int height) {
  auto plane = std::make_unique<Plane>();
  plane->fill(0);
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      const QColor c = testColour(x, row);
      std::uint8_t* pixel = plane->row(kFrameHeight - 1 - row) + x * kBytesPerPixel;
      pixel[0] = static_cast<std::uint8_t>(c.blue());
      pixel[1] = static_cast<std::uint8_t>(c.green());
      pixel[2] = static_cast<std::uint8_t>(c.red());
    }
  }
  QVERIFY(write_bitmap(QFile::encodeName(path).toStdString(), *plane, width, height));
}

// Drags the files over the window and drops them, as a file manager does. Returns whether the
// window accepted the drag.
bool dropFiles(QWidget& window, const QStringList& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  mime.setUrls(urls);
  const QPoint at = window.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
  return true;
}

void setPlate(RunResult& result, int id, int x_min, int x_max, int y_min, int y_max, const char* text) {
  GroupEntry& group = result.groups[static_cast<std::size_t>(id)];
  group = {4, x_max, x_min, y_max, y_min, {}};
  qstrncpy(group.text, text, sizeof group.text);
  result.next_group_id = std::max(result.next_group_id, id + 1);
}

// Every pixel on the centre line of the frame path's four lines, with the pixels two to either
// side of it across the line: a 5-pixel pen covers all three.
std::vector<QPoint> pointsOnPath(const OverlayItem& item) {
  std::vector<QPoint> points;
  for (std::size_t i = 0; i + 1 < item.frame_path.size(); ++i) {
    const QPoint from(item.frame_path[i].x, item.frame_path[i].y);
    const QPoint to(item.frame_path[i + 1].x, item.frame_path[i + 1].y);
    const QPoint along((to.x() > from.x()) - (to.x() < from.x()), (to.y() > from.y()) - (to.y() < from.y()));
    const QPoint across(along.y() * 2, along.x() * 2);
    for (QPoint at = from; at != to + along; at += along)
      points.insert(points.end(), {at, at + across, at - across});
  }
  return points;
}

int countPixels(const QImage& image, const QRect& area, const QColor& colour) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += image.pixelColor(x, y) == colour;
  return n;
}

class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

}  // namespace

class MainWindowTest final : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void startsAsTheDesktopKnowsIt();
  void aMissingPatternFileIsToldOnceByTheShownWindow();
  void dropShowsTheFirstFile_data();
  void dropShowsTheFirstFile();
  void dropOfATextPathChangesNothing_data();
  void dropOfATextPathChangesNothing();
  void dropOfAnUnreadableFileLeavesABlackFrame();
  void typedCharacters_data();
  void typedCharacters();
  void arrowsAndClicksRepaint_data();
  void arrowsAndClicksRepaint();
  void menuItemRunsAndShowsTheResult();
  void overlayIsDrawnOnThePlannedPath();
  void blankingKeepsTheOutlines_data();
  void blankingKeepsTheOutlines();
  void realDialogRunsModallyUntilClosed_data();
  void realDialogRunsModallyUntilClosed();
  void samplesAreReadAndFramed_data();
  void samplesAreReadAndFramed();

 private:
  QString picture(const QString& name) const { return pictures_.filePath(name); }
  QImage grabClientArea() const { return window_->clientArea().grab().toImage(); }
  std::uint8_t frameGreen(int x, int y) const { return session_->workspace().display.green_unchecked(x, y); }
  void typeCharacter(char character) { QTest::keyClick(window_->windowHandle(), character); }

  QTemporaryDir pictures_;
  QTemporaryDir emptyFolder_;
  std::unique_ptr<Session> session_;
  RecordingPresenter presenter_;
  std::unique_ptr<MainWindow> window_;
};

void MainWindowTest::initTestCase() {
  QVERIFY(pictures_.isValid() && emptyFolder_.isValid());
  writePicture(picture("first.bmp"), 320, 240);
  writePicture(picture("second.bmp"), 200, 100);
  writePicture(picture("car.Txt"), 200, 100);
  for (const char* skipped : {"car.txt", "CAR.TXT", "pictures.txt/car.bmp"}) {
    QVERIFY(QDir().mkpath(QFileInfo(picture(skipped)).path()));
    writePicture(picture(skipped), 200, 100);
  }
  std::ofstream(QFile::encodeName(picture("notes.bmp")).toStdString()) << "not a bitmap";
  // The window reads the pattern file from the working directory, as the program does.
  QVERIFY(QDir::setCurrent(QStringLiteral(PLATE_SOURCE_DIR "/data")));
}

void MainWindowTest::init() {
  session_ = std::make_unique<Session>();
  presenter_.shown.clear();
  presenter_.session = session_.get();
  window_ = std::make_unique<MainWindow>(*session_, presenter_);
  window_->start();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  QVERIFY(presenter_.shown.empty());  // the pattern file was read
}

void MainWindowTest::cleanup() {
  window_.reset();
  session_.reset();
}

void MainWindowTest::startsAsTheDesktopKnowsIt() {
  QCOMPARE(window_->windowTitle(), QStringLiteral("Recognition Demo"));
  QCOMPARE(window_->size(), QSize(700, 700));
  const QList<QAction*> menus = window_->menuBar()->actions();
  QCOMPARE(menus.size(), 1);
  QCOMPARE(menus[0]->text(), QStringLiteral("認識"));
  const QList<QAction*> items = menus[0]->menu()->actions();
  QCOMPARE(items.size(), 1);
  QCOMPARE(items[0]->text(), QStringLiteral("ナンバープレート認識"));

  const QImage shown = grabClientArea();
  QCOMPARE(shown.pixelColor(0, 0), QColor(Qt::white));
  QCOMPARE(shown.pixelColor(shown.width() - 1, shown.height() - 1), QColor(Qt::white));
  window_->resize(1100, 900);  // past the frame the black class background shows
  const QImage wide = grabClientArea();
  QCOMPARE(wide.pixelColor(1050, 100), QColor(Qt::black));
  QCOMPARE(wide.pixelColor(100, 800), QColor(Qt::black));
}

void MainWindowTest::aMissingPatternFileIsToldOnceByTheShownWindow() {
  const QString dataFolder = QDir::currentPath();
  const auto restore = qScopeGuard([&] { QDir::setCurrent(dataFolder); });
  QVERIFY(QDir::setCurrent(emptyFolder_.path()));
  Session session;
  RecordingPresenter presenter;
  presenter.session = &session;
  MainWindow window(session, presenter);
  window.start();
  QCOMPARE(presenter.shown.size(), std::size_t{1});
  const Presented& message = presenter.shown.front();
  QCOMPARE(message.title, QStringLiteral("メッセージ"));
  QCOMPARE(message.text, QStringLiteral("EBMPlog00.patがありません。"));
  QCOMPARE(message.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  QCOMPARE(message.owner, &window);
  QVERIFY(message.ownerVisible);
  QCOMPARE(message.ownerFrameGreen, 255);
}

void MainWindowTest::dropShowsTheFirstFile_data() {
  QTest::addColumn<QStringList>("files");
  QTest::addColumn<int>("width");
  QTest::addColumn<int>("height");
  QTest::newRow("one bitmap") << QStringList{"first.bmp"} << 320 << 240;
  QTest::newRow("first of three") << QStringList{"second.bmp", "first.bmp", "car.txt"} << 200 << 100;
  QTest::newRow("mixed-case .Txt is read") << QStringList{"car.Txt"} << 200 << 100;
}

void MainWindowTest::dropShowsTheFirstFile() {
  QFETCH(QStringList, files);
  QFETCH(int, width);
  QFETCH(int, height);
  setPlate(session_->workspace().result, 1, 100, 300, 200, 260, "12-34");
  QStringList paths;
  for (const QString& file : files) paths << picture(file);
  QVERIFY(dropFiles(*window_, paths));

  QVERIFY(presenter_.shown.empty());
  QVERIFY(
      plan_overlay(session_->workspace().result.groups, session_->workspace().result.next_group_id).empty());
  const QImage shown = grabClientArea();
  for (const QPoint at : {QPoint(0, 0), QPoint(width - 1, height - 1), QPoint(width / 2, 7)}) {
    QCOMPARE(shown.pixelColor(at), testColour(at.x(), at.y()));
  }
  QCOMPARE(shown.pixelColor(width, 0), QColor(Qt::black));  // the frame around a small picture
  QCOMPARE(shown.pixelColor(0, height), QColor(Qt::black));
}

void MainWindowTest::dropOfATextPathChangesNothing_data() {
  QTest::addColumn<QString>("file");
  QTest::newRow("name.txt") << "car.txt";
  QTest::newRow("NAME.TXT") << "CAR.TXT";
  QTest::newRow("bitmap in a folder x.txt") << "pictures.txt/car.bmp";
}

void MainWindowTest::dropOfATextPathChangesNothing() {
  QFETCH(QString, file);
  setPlate(session_->workspace().result, 1, 100, 300, 200, 260, "12-34");
  const QImage before = grabClientArea();
  QVERIFY(dropFiles(*window_, {picture(file)}));
  QVERIFY(presenter_.shown.empty());
  QCOMPARE(grabClientArea(), before);
}

void MainWindowTest::dropOfAnUnreadableFileLeavesABlackFrame() {
  setPlate(session_->workspace().result, 1, 100, 300, 200, 260, "12-34");
  QVERIFY(dropFiles(*window_, {picture("notes.bmp")}));
  QCOMPARE(presenter_.shown.size(), std::size_t{1});
  QCOMPARE(presenter_.shown[0].title, QStringLiteral("メッセージ"));
  QCOMPARE(presenter_.shown[0].text, QStringLiteral("ファイルリードエラーです"));
  QCOMPARE(presenter_.shown[0].owner, window_.get());
  const QImage shown = grabClientArea();
  QCOMPARE(countPixels(shown, shown.rect(), Qt::black), shown.width() * shown.height());
}

void MainWindowTest::typedCharacters_data() {
  QTest::addColumn<char>("character");
  QTest::addColumn<int>("expectedGreen");  // -1: the picture is unchanged
  QTest::addColumn<int>("dialogs");
  QTest::newRow("minus whitens") << '-' << 255 << 0;
  QTest::newRow("full stop blackens") << '.' << 0 << 0;
  QTest::newRow("G runs") << 'G' << -1 << 1;
  QTest::newRow("g runs") << 'g' << -1 << 1;
  QTest::newRow("V runs") << 'V' << -1 << 1;
  QTest::newRow("v runs") << 'v' << -1 << 1;
  QTest::newRow("other letter does nothing") << 'r' << -1 << 0;
  QTest::newRow("digit does nothing") << '5' << -1 << 0;
}

void MainWindowTest::typedCharacters() {
  QFETCH(char, character);
  QFETCH(int, expectedGreen);
  QFETCH(int, dialogs);
  QVERIFY(dropFiles(*window_, {picture("first.bmp")}));
  const int pictureGreen = frameGreen(5, kFrameHeight - 1 - 9);
  typeCharacter(character);
  QCOMPARE(frameGreen(5, kFrameHeight - 1 - 9), expectedGreen == -1 ? pictureGreen : expectedGreen);
  QCOMPARE(presenter_.shown.size(), std::size_t(dialogs));
  if (dialogs > 0) QCOMPARE(presenter_.shown[0].title, QStringLiteral("認識結果"));
}

void MainWindowTest::arrowsAndClicksRepaint_data() {
  QTest::addColumn<int>("key");  // 0: a mouse press instead
  QTest::addColumn<int>("button");
  QTest::newRow("left arrow") << int(Qt::Key_Left) << 0;
  QTest::newRow("right arrow") << int(Qt::Key_Right) << 0;
  QTest::newRow("left click") << 0 << int(Qt::LeftButton);
  QTest::newRow("right click") << 0 << int(Qt::RightButton);
}

void MainWindowTest::arrowsAndClicksRepaint() {
  QFETCH(int, key);
  QFETCH(int, button);
  QVERIFY(dropFiles(*window_, {picture("first.bmp")}));
  PaintCounter counter;
  window_->clientArea().installEventFilter(&counter);
  QTRY_VERIFY(counter.paints > 0);  // the drop's repaint
  const int before = counter.paints;
  const QImage shown = grabClientArea();
  if (key != 0) {
    QTest::keyClick(window_->windowHandle(), Qt::Key(key));
  } else {
    const QPoint inFrame = window_->clientArea().mapTo(window_.get(), QPoint(50, 50));
    QTest::mouseClick(window_->windowHandle(), Qt::MouseButton(button), {}, inFrame);
  }
  QTRY_VERIFY(counter.paints > before);
  QCOMPARE(grabClientArea(), shown);
  QVERIFY(presenter_.shown.empty());
}

void MainWindowTest::menuItemRunsAndShowsTheResult() {
  QVERIFY(dropFiles(*window_, {picture("first.bmp")}));
  window_->menuBar()->actions()[0]->menu()->actions()[0]->trigger();
  QCOMPARE(presenter_.shown.size(), std::size_t{1});
  const Presented& dialog = presenter_.shown[0];
  const RunResult& result = session_->workspace().result;
  QVERIFY(result.next_group_id >= 1);  // 0 until the first run
  QCOMPARE(dialog.title, QStringLiteral("認識結果"));
  QCOMPARE(dialog.heading, QStringLiteral("認識結果"));
  QCOMPARE(dialog.owner, window_.get());
  QCOMPARE(dialog.resultText,
           QString::fromUtf8(compose_result_text(result.processing_ms, result.characters, result.groups))
               .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  QCOMPARE(dialog.contactText,
           QString::fromUtf8(compose_contact_text()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  QVERIFY(dialog.layoutMatchesTemplate);
}

void MainWindowTest::overlayIsDrawnOnThePlannedPath() {
  RunResult& result = session_->workspace().result;
  setPlate(result, 1, 100, 300, 200, 260, "12-34");
  setPlate(result, 3, 400, 560, 450, 500, "\xA5\xA5\x31\x32");  // ･･12
  window_->clientArea().update();
  const QImage shown = grabClientArea();
  const std::vector<OverlayItem> items = plan_overlay(result.groups, result.next_group_id);
  QCOMPARE(items.size(), std::size_t{2});
  for (const OverlayItem& item : items) {
    for (const QPoint at : pointsOnPath(item)) QCOMPARE(shown.pixelColor(at), kCyan);
    // Five pixels wide, not more: three rows off the bottom edge's centre line is the picture.
    const QPoint bottomMiddle((item.frame_path[0].x + item.frame_path[1].x) / 2, item.frame_path[0].y);
    QCOMPARE(shown.pixelColor(bottomMiddle - QPoint(0, 3)), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(bottomMiddle + QPoint(0, 3)), QColor(Qt::white));
    // The label starts four rows below the frame's bottom edge, blue on white.
    const QRect label(item.label_origin.x, item.label_origin.y, 30, 10);
    QVERIFY(countPixels(shown, label, kBlue) > 0);
    QVERIFY(countPixels(shown, label, Qt::white) > 0);
  }
  QCOMPARE(shown.pixelColor(200, 537), QColor(Qt::white));  // inside a frame: the picture
}

void MainWindowTest::blankingKeepsTheOutlines_data() {
  QTest::addColumn<char>("character");
  QTest::addColumn<QColor>("inside");
  QTest::newRow("minus") << '-' << QColor(Qt::white);
  QTest::newRow("full stop") << '.' << QColor(Qt::black);
}

void MainWindowTest::blankingKeepsTheOutlines() {
  QFETCH(char, character);
  QFETCH(QColor, inside);
  QVERIFY(dropFiles(*window_, {picture("first.bmp")}));
  setPlate(session_->workspace().result, 1, 100, 300, 600, 700, "12-34");  // over the picture
  const OverlayItem frame = plan_overlay(session_->workspace().result.groups, 2).front();
  typeCharacter(character);
  QImage shown = grabClientArea();
  QCOMPARE(shown.pixelColor(200, 117), inside);
  for (const QPoint at : pointsOnPath(frame)) QCOMPARE(shown.pixelColor(at), kCyan);

  QVERIFY(dropFiles(*window_, {picture("first.bmp")}));  // a drop takes the outlines away
  shown = grabClientArea();
  for (const QPoint at : pointsOnPath(frame)) QCOMPARE(shown.pixelColor(at), testColour(at.x(), at.y()));
}

void MainWindowTest::realDialogRunsModallyUntilClosed_data() {
  QTest::addColumn<bool>("pressOk");
  QTest::newRow("OK button") << true;
  QTest::newRow("Esc key") << false;
}

void MainWindowTest::realDialogRunsModallyUntilClosed() {
  QFETCH(bool, pressOk);
  ExecPresenter modal;
  MainWindow window(*session_, modal);
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QString seenTitle;
  bool seenOwner = false;
  QTimer closer;
  // The modal loop is running once the dialog is the active modal widget; close it as a person would.
  connect(&closer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<ResultDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    closer.stop();
    seenTitle = dialog->windowTitle();
    seenOwner = dialog->parentWidget() == &window;
    if (pressOk) {
      QTest::mouseClick(qobject_cast<QPushButton*>(dialog->control(resources::kOkButtonId)), Qt::LeftButton);
    } else {
      QTest::keyClick(dialog, Qt::Key_Escape);
    }
  });
  closer.start(10);
  QTest::keyClick(window.windowHandle(), 'g');  // returns only when the dialog has been closed
  QCOMPARE(seenTitle, QStringLiteral("認識結果"));
  QVERIFY(seenOwner);
  QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
}

// Every shipped sample, dropped and read with the shipped pattern file: the dialog lists the
// plates that the manifest records, and each is framed on the window.
void MainWindowTest::samplesAreReadAndFramed_data() {
  QTest::addColumn<QString>("file");
  QTest::addColumn<QStringList>("plates");
  QFile manifest(QStringLiteral(PLATE_SOURCE_DIR "/data/samples/manifest.tsv"));
  QVERIFY(manifest.open(QIODevice::ReadOnly | QIODevice::Text));
  manifest.readLine();  // the column names
  while (!manifest.atEnd()) {
    const QStringList columns = QString::fromUtf8(manifest.readLine()).trimmed().split(u'\t');
    if (columns.size() < 2) continue;
    const QStringList plates = columns[1] == u"-" ? QStringList() : columns[1].split(u' ');
    QTest::newRow(qPrintable(columns[0])) << columns[0] << plates;
  }
}

void MainWindowTest::samplesAreReadAndFramed() {
  QFETCH(QString, file);
  QFETCH(QStringList, plates);
  QVERIFY(dropFiles(*window_, {QStringLiteral(PLATE_SOURCE_DIR "/data/samples/") + file}));
  typeCharacter('g');
  QCOMPARE(presenter_.shown.size(), std::size_t{1});
  QString listed;
  for (const QString& plate : plates) listed += QStringLiteral("\nNumberplate : ") + plate + u'\n';
  if (plates.isEmpty()) listed = QStringLiteral("ナンバーを認識できませんでした。\n");
  const QString& text = presenter_.shown[0].resultText;
  QVERIFY2(text.startsWith(QStringLiteral("処理時間 = ")) && text.endsWith(QStringLiteral(" ms \n") + listed),
           qPrintable(text));

  const RunResult& result = session_->workspace().result;
  const std::vector<OverlayItem> items = plan_overlay(result.groups, result.next_group_id);
  QCOMPARE(items.size(), std::size_t(plates.size()));
  const QImage shown = grabClientArea();
  for (const OverlayItem& item : items) {
    for (const QPoint at : pointsOnPath(item)) QCOMPARE(shown.pixelColor(at), kCyan);
  }
}

}  // namespace plate

QTEST_MAIN(plate::MainWindowTest)
#include "main_window_test.moc"
