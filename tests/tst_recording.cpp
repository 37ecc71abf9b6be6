// What a surface records: a bar drawn in one call and the same bar drawn line
// by line must come out the same in every output, and the glyphs it sets must
// follow the font and the text they were asked for.
#include "support/TestSupport.h"

#include "draw/Surface.h"
#include "jobs/Fonts.h"

#include <QPainter>
#include <QTest>

using draw::Surface;

namespace {

Surface makeSurface()
{
    return Surface(QStringLiteral("s"), {0, 0, 3000, 1215}, {}, output::tahoma(10));
}

QImage replayed(const Surface& s, int scale)
{
    QImage image(s.imageWidth() * scale, s.pixels().height() * scale, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.scale(scale, scale);
    s.replay(painter, QRect(0, 0, s.imageWidth(), s.pixels().height()));
    return image;
}

} // namespace

class TestRecording : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { output::ensureTahoma(); }
    void wholeBarsMatchLineByLine_data();
    void wholeBarsMatchLineByLine();
    void glyphsFollowFontAndText();
};

void TestRecording::wholeBarsMatchLineByLine_data()
{
    QTest::addColumn<QList<int>>("widths"); // bar, space, bar, ...
    QTest::addColumn<double>("x");
    QTest::newRow("bars and spaces") << QList<int>{3, 1, 1, 2, 4} << 20.0;
    QTest::newRow("touching bars") << QList<int>{2, 0, 5, 0, 1} << 20.0;
    QTest::newRow("half units") << QList<int>{2, 1, 3} << 20.5;
    QTest::newRow("left of the image") << QList<int>{4, 1, 2} << -2.0;
}

void TestRecording::wholeBarsMatchLineByLine()
{
    QFETCH(QList<int>, widths);
    QFETCH(double, x);
    Surface whole = makeSurface();
    Surface lines = makeSurface();
    double at = x;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        if (i % 2 == 0) {
            whole.Lines(at, 1, 50, widths[i]);
            for (int c = 0; c < widths[i]; ++c)
                lines.Line(at + c, 1, at + c, 50);
        }
        at += widths[i];
    }
    whole.setCurrentY(52);
    lines.setCurrentY(52);
    whole.Print(QStringLiteral("Label 123"));
    lines.Print(QStringLiteral("Label 123"));
    QCOMPARE(whole.Image(), lines.Image());
    QCOMPARE(whole.toSvg(), lines.toSvg());
    // Replayed at three device pixels a unit, each module is three columns.
    const QImage big = replayed(whole, 3);
    QCOMPARE(big, replayed(lines, 3));
    const QImage small = whole.Image();
    for (int column = 0; column < small.width(); ++column)
        for (int sub = 0; sub < 3; ++sub)
            QCOMPARE(testing::isDark(big.pixel(column * 3 + sub, 30)),
                     testing::isDark(small.pixel(column, 10)));
}

void TestRecording::glyphsFollowFontAndText()
{
    Surface s = makeSurface();
    const QString label = QStringLiteral("HELLO WORLD 42");
    const int at10 = s.textWidth(label);
    s.setFontSize(20);
    const int at20 = s.textWidth(label);
    QVERIFY2(at20 > at10 * 3 / 2, qPrintable(QStringLiteral("%1 then %2").arg(at10).arg(at20)));
    s.setFontSize(10);
    QCOMPARE(s.textWidth(label), at10);
    s.setFontName(QStringLiteral("DejaVu Sans Mono"));
    QVERIFY(s.textWidth(label) != at10);
    s.setFontName(QStringLiteral("Tahoma"));
    QCOMPARE(s.textWidth(label), at10);

    // Short texts are kept whole under a key made of their characters: no two
    // of these may share one.
    QList<QImage> seen;
    for (const QString& text : {QStringLiteral("1W"), QStringLiteral("W1"), QStringLiteral("1"),
                                QStringLiteral("11"), QStringLiteral(" 1 "), QStringLiteral("WW1W")}) {
        s.Cls();
        s.Print(text);
        const QImage image = s.Image();
        QVERIFY2(!seen.contains(image), qPrintable(text));
        seen << image;
    }
}

QTEST_MAIN(TestRecording)
#include "tst_recording.moc"
