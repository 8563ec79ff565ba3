// The window on a real X server (Xvfb): a screenshot of it is saved as a PNG
// (HALVEX_SCREENSHOT names the file, else window_screenshot.png next to the
// program) and must have the window's size and drawn content.
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTest>

#include "app/main_form.h"

class TScreenshotTest : public QObject {
  Q_OBJECT

 private slots:
  void windowUnderX() {
    QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
    TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::qWait(200);  // the first paint reaches the server

    const QPixmap shot = form.screen()->grabWindow(form.winId());
    QCOMPARE(shot.size(), form.size());
    const QImage image = shot.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
      for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
    }
    QVERIFY2(colours.size() > 16, "the screenshot is nearly uniform");
    // The log view is lighter than the face-coloured window behind it.
    QVERIFY(qGray(image.pixel(700, 300)) != qGray(image.pixel(316, 640)));

    QString path = qEnvironmentVariable("HALVEX_SCREENSHOT");
    if (path.isEmpty()) path = QCoreApplication::applicationDirPath() + "/window_screenshot.png";
    QVERIFY(shot.save(path, "PNG"));
    QCOMPARE(QImage(path).size(), form.size());
  }
};

QTEST_MAIN(TScreenshotTest)
#include "screenshot_test.moc"
