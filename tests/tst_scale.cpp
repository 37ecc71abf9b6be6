// At a device pixel ratio of 2 every module is 2 x 2 device pixels of pure
// black or white, and labels are set at full resolution, not enlarged.
// Runs with QT_SCALE_FACTOR=2.
#include "support/TestSupport.h"

#include "draw/PictureBox.h"
#include "draw/Surface.h"

#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using testing::Window;

class TestScale : public QObject {
    Q_OBJECT
  private slots:
    void modulesAreWholeDevicePixels_data();
    void modulesAreWholeDevicePixels();
};

void TestScale::modulesAreWholeDevicePixels_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("barTop");
    QTest::addColumn<int>("barBottom");
    QTest::addColumn<QRect>("labelArea");
    QTest::newRow("Code 39") << "Code 39"
                             << "SCALE-2" << 2 << 49 << QRect(0, 52, 300, 20);
    QTest::newRow("Interleaved 2 of 5") << "Interleaved 2 of 5"
                                        << "1234567890" << 2 << 49 << QRect(0, 52, 300, 20);
    QTest::newRow("Code 128") << "Code 128"
                              << "Scale 2" << 2 << 49 << QRect(0, 52, 300, 20);
    QTest::newRow("Codabar") << "Codabar"
                             << "1234-5678" << 2 << 49 << QRect(0, 52, 300, 20);
    QTest::newRow("EAN-13") << "EAN-13"
                            << "123456789012" << 5 << 50 << QRect(0, 53, 117, 14);
    QTest::newRow("UPC-A") << "UPC-A"
                           << "09736339584" << 8 << 45 << QRect(0, 48, 133, 14);
}

void TestScale::modulesAreWholeDevicePixels()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(int, barTop);
    QFETCH(int, barBottom);
    QFETCH(QRect, labelArea);
    Window w;
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.w.get()));
    QCOMPARE(w->devicePixelRatioF(), 2.0);
    testing::select(w.w.get(), symbology);
    w->Text1->setText(input);
    const draw::Surface& surface = testing::drawnOn(w.w.get(), symbology);
    draw::PictureBox* box = w->pictureBox(surface);
    QVERIFY(box->isVisible());
    const QImage grabbed = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(grabbed.width(), box->width() * 2);
    const QImage image = surface.Image();
    const int b = draw::Surface::kBorder;
    const int width = std::min(image.width(), box->width() - 2 * b);
    for (int y = barTop; y <= barBottom; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb expected = testing::isDark(image.pixel(x, y)) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    if (grabbed.pixel(2 * (x + b) + dx, 2 * (y + b) + dy) != expected)
                        QFAIL(qPrintable(
                            QStringLiteral("module (%1, %2) is not a pure 2 x 2 block").arg(x).arg(y)));
        }
    // The label is drawn again at twice the pixels: not the 1x text enlarged,
    // and with solid ink in its strokes.
    const QRect area = labelArea.intersected(QRect(0, 0, width, image.height() - 1));
    QImage enlarged = image.copy(area)
                          .scaled(area.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    const QImage drawn = grabbed.copy(QRect((area.topLeft() + QPoint(b, b)) * 2, area.size() * 2));
    QVERIFY(testing::anyDark(drawn, drawn.rect()));
    QVERIFY(drawn != enlarged);
}

QTEST_MAIN(TestScale)
#include "tst_scale.moc"
