// The desktop program's window, driven as a person drives it: files dropped on it, keys typed and
// the menu item chosen, on Qt's offscreen platform. Dialogs and message
// boxes are handed to a recording presenter, so nothing waits for a person to close them, except
// in the test that runs the real modal loop and closes the dialog as a person would.

#include "shell/qt/main_window.h"

#include <QtTest>
#include <QtWidgets>
#include <functional>
#include <memory>
#include <vector>

#include "present/overlay_plan.h"
#include "resources/result_dialog.h"
#include "shell/qt/modal_presenter.h"
#include "shell/qt/result_dialog.h"
#include "shell/result_dialog_texts.h"
#include "shell/session.h"

namespace plate {

namespace {

const QColor kCyan(0, 255, 255);
const QString kData = QStringLiteral(PLATE_SOURCE_DIR "/data");
const QString kLongName = QString(200, u'd') + u'/' + QString(100, u'f') + QStringLiteral(".bmp");

// Shows nothing: records each dialog or message box as "title|text" (a message box's text, or the
// result dialog's result and contact boxes) with its owner, and hands it to `inspect` while it is up.
class RecordingPresenter final : public ModalPresenter {
 public:
  void present(QDialog& dialog) override {
    const auto* box = qobject_cast<QMessageBox*>(&dialog);
    QString text = dialog.windowTitle() + u'|' + (box != nullptr ? box->text() : QString());
    if (const auto* result = qobject_cast<ResultDialog*>(&dialog))
      for (const int id : {resources::kResultBoxId, resources::kContactBoxId})
        text += qobject_cast<QPlainTextEdit*>(result->control(id))->toPlainText() + u'|';
    shown << text;
    owners.push_back(dialog.parentWidget());
    if (inspect) inspect(dialog);
  }
  QStringList shown;
  std::vector<QWidget*> owners;
  std::function<void(QDialog&)> inspect;
};

// A test picture whose every pixel differs from its neighbours: red and green count columns and
// rows from the top-left corner.
QImage testPicture(int width, int height) {
  QImage picture(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) picture.setPixelColor(x, y, QColor(x % 256, y % 256, 100));
  return picture;
}

// Drags the files over the window and drops them, as a file manager does.
void dropFiles(QWidget& window, const QStringList& paths) {
  QMimeData mime;
  QList<QUrl> urls;
  for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
  mime.setUrls(urls);
  const QPoint at = window.rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &enter);
  QVERIFY(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&window, &drop);
}

// Every pixel on the frame path's four lines, and the pixels two to either side across them: a
// 5-pixel pen covers them all.
std::vector<QPoint> pointsOnPath(const OverlayItem& item) {
  std::vector<QPoint> points;
  for (std::size_t i = 0; i < 4; ++i) {
    const WindowPoint a = item.frame_path[i], b = item.frame_path[i + 1];
    for (int x = std::min(a.x, b.x); x <= std::max(a.x, b.x); ++x)
      for (int y = std::min(a.y, b.y); y <= std::max(a.y, b.y); ++y)
        for (const int d : {-2, 0, 2}) points.push_back(a.x == b.x ? QPoint(x + d, y) : QPoint(x, y + d));
  }
  return points;
}

}  // namespace

class MainWindowTest final : public QObject {
  Q_OBJECT

  QString picture(const QString& name) const { return pictures_.filePath(name); }
  QImage grabClientArea() const { return window_->clientArea().grab().toImage(); }

  QTemporaryDir pictures_;
  QTemporaryDir emptyFolder_;
  std::unique_ptr<Session> session_;
  RecordingPresenter presenter_;
  std::unique_ptr<MainWindow> window_;

 private slots:
  void initTestCase() {
    QVERIFY(pictures_.isValid() && emptyFolder_.isValid());
    QVERIFY(QDir(pictures_.path()).mkpath(QFileInfo(kLongName).path()) &&
            QDir(pictures_.path()).mkpath("pictures.txt"));
    QVERIFY(testPicture(320, 240).save(picture("first.bmp"), "BMP"));  // 24 bits per pixel
    QVERIFY(testPicture(240, 160).save(picture("second.bmp"), "BMP"));
    for (const QString& name : QStringList{"car.Txt", "pictures.txt/car.bmp", kLongName})
      QVERIFY(testPicture(200, 100).save(picture(name), "BMP"));
    QVERIFY(testPicture(200, 100).save(picture("photo.jpg"), "JPG", 95));
    QFile notes(picture("notes.bmp"));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("not a bitmap") > 0);
    QVERIFY(QDir::setCurrent(kData));  // the window reads the pattern file from there, as the program does
  }

  void init() {
    session_ = std::make_unique<Session>();
    presenter_ = {};
    window_ = std::make_unique<MainWindow>(*session_, presenter_);
    window_->start();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QVERIFY(presenter_.shown.empty());  // the pattern file was read
  }

  void cleanup() {
    window_.reset();
    session_.reset();
  }

  void startsWhiteOnTheBlackClassBackground() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Recognition Demo"));
    QCOMPARE(window_->size(), QSize(700, 700));
    const QImage shown = grabClientArea();
    QImage white(shown.size(), shown.format());
    white.fill(Qt::white);
    QCOMPARE(shown, white);
    window_->resize(1100, 900);  // past the frame the black class background shows
    QCOMPARE(grabClientArea().pixelColor(1050, 100), QColor(Qt::black));
    QCOMPARE(grabClientArea().pixelColor(100, 800), QColor(Qt::black));
  }

  // The message is owned by the window on the screen, which shows its white frame already.
  void aMissingPatternFileIsToldOnceByTheShownWindow() {
    const auto restore = qScopeGuard([] { QDir::setCurrent(kData); });
    QVERIFY(QDir::setCurrent(emptyFolder_.path()));
    MainWindow window(*session_, presenter_);
    presenter_.inspect = [&](QDialog& dialog) {
      QCOMPARE(dynamic_cast<QMessageBox&>(dialog).standardButtons(),
               QMessageBox::StandardButtons(QMessageBox::Ok));
      QVERIFY(window.isVisible() && session_->display().green_unchecked(0, kFrameHeight - 1) == 255);
    };
    window.start();
    QCOMPARE(presenter_.shown, QStringList{"メッセージ|EBMPlog00.patがありません。"});
    QCOMPARE(presenter_.owners, std::vector<QWidget*>{&window});
  }

  // Over a picture with a plate outlined: the frame then shows the first dropped file's picture
  // in the top-left corner and black around it, and the outline is gone; or, for a text path,
  // nothing changes; a file that cannot be read gives one message and a black frame.
  void drops_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QSize>("size");  // of the picture shown; an invalid size: nothing changes
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    QTest::newRow("first of three") << QStringList{"second.bmp", "first.bmp", "car.Txt"} << QSize(240, 160)
                                    << none;
    QTest::newRow("path past 255 bytes") << QStringList{kLongName} << QSize(200, 100) << none;
    QTest::newRow("bitmap in a folder x.txt") << QStringList{"pictures.txt/car.bmp"} << QSize() << none;
    QTest::newRow("JPEG") << QStringList{"photo.jpg"} << QSize(200, 100) << none;
    QTest::newRow("unreadable") << QStringList{"notes.bmp"} << QSize(0, 0)
                                << QStringList{"メッセージ|ファイルリードエラーです"};
  }

  void drops() {
    QFETCH(QStringList, files);
    QFETCH(QSize, size);
    QFETCH(QStringList, messages);
    dropFiles(*window_, {picture("first.bmp")});
    const QImage before = grabClientArea();
    QStringList paths;
    for (const QString& file : files) paths << picture(file);
    dropFiles(*window_, paths);
    QCOMPARE(presenter_.shown, messages);
    QImage expected = before;
    if (size.isValid()) {
      expected.fill(Qt::black);
      // A JPEG shows as it decodes (libjpeg-turbo's own decoder, as Qt's), not as it was saved.
      const QImage shown = files.front().endsWith(".jpg") ? QImage(picture(files.front()))
                                                          : testPicture(size.width(), size.height());
      if (!size.isEmpty()) QPainter(&expected).drawImage(0, 0, shown);
    }
    QCOMPARE(grabClientArea(), expected);
  }

  // A sample with plates, read from the menu: the dialog shows this run's result and the contact
  // lines.
  void menuItemRunsAndShowsTheResult() {
    dropFiles(*window_, {kData + "/samples/two_plates.bmp"});
    const QList<QAction*> items = window_->menuBar()->actions().back()->menu()->actions();
    QCOMPARE(items.front()->text(), QStringLiteral("ナンバープレート認識"));
    presenter_.inspect = [](QDialog& dialog) {
      const auto& shown = dynamic_cast<const ResultDialog&>(dialog);
      QCOMPARE(qobject_cast<QLabel*>(shown.control(resources::kStaticControlId))->text(),
               QStringLiteral("認識結果"));
    };
    items.front()->trigger();
    const RunResult& result = session_->result();
    const auto lines = [](const std::string& utf8) {
      return QString::fromUtf8(utf8).replace("\r\n", "\n") + u'|';
    };
    QCOMPARE(presenter_.shown,
             QStringList{"認識結果|" +
                         lines(compose_result_text(result.processing_ms, plates_in_dialog_order(result))) +
                         lines(compose_contact_text())});
    QCOMPARE(presenter_.owners, std::vector<QWidget*>{window_.get()});
    QVERIFY(!plan_overlay(plates_in_dialog_order(result)).empty());  // plates were read
  }

#ifdef PLATE_SHELL_FINDER
  // With the checkable item on, the found plate is read straightened and listed after the run's
  // own: the sample's "･839" follows "12-04", which the run alone lists first.
  void findPlatesItemListsTheStraightenedPlatesInTheDialog() {
    dropFiles(*window_, {kData + "/samples/two_plates.bmp"});
    const QList<QAction*> items = window_->menuBar()->actions().back()->menu()->actions();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.back()->text(), QStringLiteral("プレートを探してから読む"));
    QVERIFY(items.back()->isCheckable() && !items.back()->isChecked());
    items.back()->setChecked(true);
    QVERIFY(presenter_.shown.empty());  // checking the item runs nothing
    items.front()->trigger();
    std::vector<std::string> texts;
    for (const RunPlate& plate : session_->plates()) texts.push_back(plate.text);
    QCOMPARE(texts, (std::vector<std::string>{"12-04", std::string("\xA5") + "839"}));
    const QString result =
        QString::fromUtf8(compose_result_text(session_->result().processing_ms, session_->plates()));
    QCOMPARE(presenter_.shown.size(), 1);
    QVERIFY(presenter_.shown.front().contains(QString(result).replace("\r\n", "\n")));
  }
#endif

  void blankingKeepsTheOutlines_data() {
    QTest::addColumn<char>("character");
    QTest::addColumn<QColor>("blank");
    QTest::newRow("minus whitens") << '-' << QColor(Qt::white);
    QTest::newRow("full stop blackens") << '.' << QColor(Qt::black);
  }

  // The plates of a run over a sample: the frames are drawn with a pen five pixels wide, and the
  // labels in blue on white from four rows below each frame.
  void blankingKeepsTheOutlines() {
    QFETCH(char, character);
    QFETCH(QColor, blank);
    dropFiles(*window_, {kData + "/samples/two_plates.bmp"});
    session_->recognize();
    const std::vector<OverlayItem> plates = session_->overlay();
    QCOMPARE(plates.size(), std::size_t{2});
    QTest::keyClick(window_->windowHandle(), character);
    const QImage shown = grabClientArea();
    QCOMPARE(shown.pixelColor(2, 2), blank);
    for (const OverlayItem& plate : plates) {
      for (const QPoint at : pointsOnPath(plate)) QCOMPARE(shown.pixelColor(at), kCyan);
      const QPoint bottomMiddle((plate.frame_path[0].x + plate.frame_path[1].x) / 2, plate.frame_path[0].y);
      QCOMPARE(shown.pixelColor(bottomMiddle - QPoint(0, 3)), blank);
      QCOMPARE(shown.pixelColor(bottomMiddle + QPoint(0, 3)), blank);
      const QImage label = shown.copy(plate.label_origin.x, plate.label_origin.y, 30, 10);
      QVERIFY(label.allGray() == false);  // blue text on white
    }
  }

  // The program's presenter: "g" starts a run, and returns only when the dialog has been closed.
  void realDialogRunsModallyUntilClosed() {
    ExecPresenter modal;
    MainWindow window(*session_, modal);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTimer closer;  // once the modal loop shows the dialog, closes it as a person would
    connect(&closer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<ResultDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr || !dialog->isVisible()) return;
      closer.stop();
      QTest::mouseClick(dialog->control(resources::kOkButtonId), Qt::LeftButton);
    });
    closer.start(10);
    QTest::keyClick(window.windowHandle(), 'g');
    QVERIFY(!closer.isActive());
    QTRY_VERIFY(QApplication::activeModalWidget() == nullptr);
  }
};

}  // namespace plate

QTEST_MAIN(plate::MainWindowTest)
#include "main_window_test.moc"
