// The drawing surface: clearing, units, the persistent image and its growth.
#include "support/TestSupport.h"

#include "draw/Geometry.h"
#include "draw/Surface.h"
#include "jobs/Fonts.h"
#include "linear/Code128.h"
#include "linear/Code39.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>
#include <QXmlStreamReader>

#include <array>
#include <functional>
#include <memory>

using draw::Surface;

class TestSurface : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { output::ensureTahoma(); }
    void printAfterClsStartsTopLeft();
    void backColorErasesLikeCls();
    void drawingBeyondTheWidthIsKept();
    void hiddenSurfaceKeepsItsDrawing();
    void userScalesPlaceLines_data();
    void userScalesPlaceLines();
    void barsDrawWhatLinesDraw_data();
    void barsDrawWhatLinesDraw();
    void boxesAreFilledAndOutlined();
    void clsRestoresTheBackgroundPicture();
    void pictureTakenFromASurfaceStaysAsItWas();
    void pointSizesRenderAt96Dpi();
    void textStartsAtCurrentXAndAdvancesByTheFont();
    void svgHoldsAnyFontName();
    void everyOutputShowsOnlyTheLastDrawing_data();
    void everyOutputShowsOnlyTheLastDrawing();
    void everyChangeReachesTheRecording_data();
    void everyChangeReachesTheRecording();
    void printEachSetsWhatPrintSets();
};

void TestSurface::printAfterClsStartsTopLeft()
{
    Surface s(QStringLiteral("s"), {0, 0, 4635, 1215}, {}, output::tahoma(14.25));
    s.setCurrentX(40);
    s.setCurrentY(40);
    s.Cls();
    QCOMPARE(s.CurrentX(), 0.0);
    QCOMPARE(s.CurrentY(), 0.0);
    s.Print(QStringLiteral("W"));
    const QImage image = s.Image();
    QVERIFY(testing::anyDark(image, QRect(0, 0, 20, 22)));
    QVERIFY(!testing::anyDark(image, QRect(25, 0, image.width(), image.height())));
}

void TestSurface::backColorErasesLikeCls()
{
    Surface s(QStringLiteral("s"), {0, 0, 1500, 1500}, {}, output::tahoma(10));
    s.Line(10, 1, 10, 50);
    QVERIFY(testing::anyDark(s.Image(), s.Image().rect()));
    s.setBackColor(draw::kWhite); // unchanged colour, still erased
    QVERIFY(!testing::anyDark(s.Image(), s.Image().rect()));
}

void TestSurface::drawingBeyondTheWidthIsKept()
{
    Surface s(QStringLiteral("s"), {0, 0, 1500, 1215}, {}, output::tahoma(10));
    QCOMPARE(s.Image().width(), 96); // 100 pixels less the frame
    for (int x : {20, 500, 1999})
        s.Line(x, 1, x, 50);
    s.setWidth(2100 * 15.0);
    const QImage image = s.Image();
    QCOMPARE(image.width(), 2100 - 2 * Surface::kBorder);
    const std::vector<int> expected{20, 500, 1999};
    QCOMPARE(testing::darkColumns(image, 10), expected);
    // Narrowing crops; widening again shows background, not the old bars.
    s.setWidth(300 * 15.0);
    s.setWidth(2100 * 15.0);
    QCOMPARE(testing::darkColumns(s.Image(), 10), std::vector<int>{20});
}

void TestSurface::hiddenSurfaceKeepsItsDrawing()
{
    Surface s(QStringLiteral("s"), {0, 0, 1500, 1215}, {}, output::tahoma(10));
    s.setVisible(false);
    s.Line(30, 1, 30, 50);
    s.setVisible(true);
    QCOMPARE(testing::darkColumns(s.Image(), 10), std::vector<int>{30});
}

void TestSurface::userScalesPlaceLines_data()
{
    QTest::addColumn<double>("yTwips");
    QTest::addColumn<double>("y1");
    QTest::addColumn<double>("y2");
    QTest::addColumn<int>("top");
    QTest::addColumn<int>("bottom");
    // y in units of 11.55 twips (picEan) and 16.5 twips (picUPC), 15 twips a pixel.
    QTest::newRow("picEan guard 5..72") << 11.55 << 5.0 << 72.0 << 4 << 55;
    QTest::newRow("picEan data bar 5..66") << 11.55 << 5.0 << 66.0 << 4 << 51;
    QTest::newRow("picUPC long bar 6..50") << 16.5 << 6.0 << 50.0 << 7 << 55;
    QTest::newRow("picUPC short bar 6..42") << 16.5 << 6.0 << 42.0 << 7 << 46;
    QTest::newRow("pixels") << 15.0 << 1.0 << 50.0 << 1 << 50;
}

void TestSurface::userScalesPlaceLines()
{
    QFETCH(double, yTwips);
    QFETCH(double, y1);
    QFETCH(double, y2);
    QFETCH(int, top);
    QFETCH(int, bottom);
    Surface s(QStringLiteral("s"), {0, 0, 2055, 1095}, {15, yTwips}, output::tahoma(10));
    s.Line(40, y1, 40, y2);
    QCOMPARE(testing::darkRows(s.Image(), 40), std::make_pair(top, bottom));
}

void TestSurface::barsDrawWhatLinesDraw_data()
{
    // A symbol's bars go in one call; the pixels and the SVG must be those
    // of the same bars drawn line by line, whatever the scale or the bars.
    QTest::addColumn<double>("xTwips");
    QTest::addColumn<double>("yTwips");
    QTest::addColumn<int>("drawWidth");
    QTest::addColumn<int>("y1");
    QTest::addColumn<std::vector<Surface::Bar>>("bars");
    using B = Surface::Bar;
    const std::vector<B> symbol = {{20, 1, 50, draw::kBlack}, {22, 3, 50, draw::kBlack}, {27, 2, 50, draw::kBlack}};
    QTest::newRow("pixels") << 15.0 << 15.0 << 1 << 1 << symbol;
    QTest::newRow("long and short, dark and light")
        << 15.0 << 11.55 << 1 << 5
        << std::vector<B>{{11, 1, 72, draw::kBlack}, {12, 1, 72, draw::kWhite}, {13, 2, 66, draw::kBlack},
                          {15, 3, 66, draw::kWhite}, {18, 1, 72, draw::kBlack}, {19, 4, 66, draw::kLightGrey}};
    QTest::newRow("left of the image")
        << 15.0 << 15.0 << 1 << 1 << std::vector<B>{{-3, 5, 40, draw::kBlack}, {4, 2, 40, draw::kBlack}};
    QTest::newRow("upwards and empty")
        << 15.0 << 16.5 << 1 << 42
        << std::vector<B>{{20, 2, 6, draw::kBlack}, {23, 0, 50, draw::kBlack}, {25, 1, 50, draw::kBlack}};
    QTest::newRow("units wider than pixels") << 17.0 << 15.0 << 1 << 1 << symbol;
    QTest::newRow("wide pen") << 15.0 << 15.0 << 2 << 1 << symbol;
}

void TestSurface::barsDrawWhatLinesDraw()
{
    QFETCH(double, xTwips);
    QFETCH(double, yTwips);
    QFETCH(int, drawWidth);
    QFETCH(int, y1);
    QFETCH(std::vector<Surface::Bar>, bars);
    Surface together(QStringLiteral("s"), {0, 0, 2055, 1095}, {xTwips, yTwips}, output::tahoma(10));
    Surface oneByOne(QStringLiteral("s"), {0, 0, 2055, 1095}, {xTwips, yTwips}, output::tahoma(10));
    for (Surface* s : {&together, &oneByOne}) {
        s->setDrawWidth(drawWidth);
        // Text first, so that bars meet pixels that are not background.
        s->setCurrentX(10);
        s->setCurrentY(30);
        s->Print(QStringLiteral("888"));
    }
    together.Bars(y1, bars);
    for (const Surface::Bar& bar : bars)
        oneByOne.Lines(bar.x, y1, bar.y2, bar.count, bar.colour);
    QCOMPARE(together.Image(), oneByOne.Image());
    QCOMPARE(together.toSvg(), oneByOne.toSvg());
    QVERIFY(testing::anyDark(together.Image(), together.Image().rect()));
}

void TestSurface::boxesAreFilledAndOutlined()
{
    Surface s(QStringLiteral("s"), {0, 0, 1815, 1095}, {15, 11.55}, output::tahoma(8));
    s.setFillSolid(true);
    s.setFillColor(draw::kBlack);
    s.Box(60, 2, 65, 14, draw::kLightGrey);
    const QImage image = s.Image();
    // 2..14 units are rows 2..11; columns 60..65.
    QCOMPARE(image.pixel(60, 5), qRgb(0xE0, 0xE0, 0xE0));
    QCOMPARE(image.pixel(65, 5), qRgb(0xE0, 0xE0, 0xE0));
    QCOMPARE(image.pixel(62, 2), qRgb(0xE0, 0xE0, 0xE0));
    QCOMPARE(image.pixel(62, 6), qRgb(0, 0, 0));
    QCOMPARE(image.pixel(66, 6), qRgb(255, 255, 255));
}

void TestSurface::clsRestoresTheBackgroundPicture()
{
    Surface s(QStringLiteral("s"), {0, 0, 1500, 1500}, {}, output::tahoma(10));
    s.Line(5, 1, 5, 20);
    s.setPicture(s.Image());
    s.Line(9, 1, 9, 20);
    s.Cls();
    QCOMPARE(testing::darkColumns(s.Image(), 10), std::vector<int>{5});
    s.setPicture(QImage());
    QVERIFY(!testing::anyDark(s.Image(), s.Image().rect()));
}

void TestSurface::pictureTakenFromASurfaceStaysAsItWas()
{
    // A picture taken from a surface (another or itself) shares its pixels
    // until either side draws again: neither may then see the other's
    // drawing, and the picture must survive every Cls, in the image and
    // drawn again from the recording.
    Surface blank(QStringLiteral("blank"), {0, 0, 1500, 1500}, {}, output::tahoma(10));
    Surface s(QStringLiteral("s"), {0, 0, 1500, 1500}, {}, output::tahoma(10));
    Surface own(QStringLiteral("own"), {0, 0, 1500, 1500}, {}, output::tahoma(10));
    const auto replayed = [](const Surface& surface) {
        QImage image(surface.Image().size(), QImage::Format_RGB32);
        QPainter painter(&image);
        surface.replay(painter, image.rect());
        return image;
    };
    blank.Line(5, 1, 5, 20);
    for (int round = 0; round < 2; ++round) {
        s.Cls();
        s.setPicture(blank);
        s.Line(12, 1, 12, 20);
        s.setPicture(s);
        QCOMPARE(testing::darkColumns(s.Image(), 10), (std::vector<int>{5, 12}));
        s.Line(20, 1, 20, 20);
        s.Cls();
        QCOMPARE(testing::darkColumns(s.Image(), 10), (std::vector<int>{5, 12}));
        QCOMPARE(testing::darkColumns(replayed(s), 10), (std::vector<int>{5, 12}));
        blank.Line(30 + round, 1, 30 + round, 20);
        QCOMPARE(testing::darkColumns(s.Image(), 10), (std::vector<int>{5, 12}));
        // Bars drawn on either side leave the picture between them, also
        // when the picture was drawn on nothing but the background.
        for (Surface* surface : {&s, &own}) {
            if (surface == &own) {
                own.Cls();
                own.setPicture(QImage());
                own.Line(12, 1, 12, 20);
                own.setPicture(own);
            }
            surface->Cls();
            surface->Line(3, 1, 3, 20);
            surface->Line(25, 1, 25, 20);
            const std::vector<int> expected =
                surface == &s ? std::vector<int>{3, 5, 12, 25} : std::vector<int>{3, 12, 25};
            QCOMPARE(testing::darkColumns(surface->Image(), 10), expected);
        }
        blank.Cls();
        blank.Line(5, 1, 5, 20);
        QCOMPARE(testing::darkColumns(blank.Image(), 10), std::vector<int>{5});
    }
}

void TestSurface::pointSizesRenderAt96Dpi()
{
    // 72 points are 96 pixels at 96 dots per inch, whatever the screen says.
    Surface s(QStringLiteral("s"), {0, 0, 3000, 3000}, {}, output::tahoma(72));
    s.Print(QStringLiteral("H"));
    const QImage image = s.Image();
    int top = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        if (testing::anyDark(image, QRect(0, y, image.width(), 1))) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    const int capHeight = bottom - top + 1;
    QVERIFY2(capHeight > 60 && capHeight < 80, qPrintable(QString::number(capHeight)));
}

void TestSurface::textStartsAtCurrentXAndAdvancesByTheFont()
{
    // Short texts are set from one rasterised piece, long ones glyph by glyph:
    // both start at CurrentX and advance by the font's advance.
    Surface s(QStringLiteral("s"), {0, 0, 1500, 1215}, {}, output::tahoma(14.25));
    for (const int count : {10, 1000}) {
        s.Cls();
        s.setCurrentX(30);
        s.setCurrentY(10);
        s.Print(QString(count, u'H'));
        const QImage image = s.Image();
        const QFontMetricsF metrics(output::tahoma(14.25), &image);
        const double width = count * metrics.horizontalAdvance(u'H');
        int left = image.width(), right = -1;
        for (int x = 0; x < image.width(); ++x)
            if (testing::anyDark(image, QRect(x, 0, 1, image.height()))) {
                left = std::min(left, x);
                right = x;
            }
        QVERIFY2(left >= 30 && left <= 33, qPrintable(QString::number(left)));
        QVERIFY2(std::abs(right - (30 + width)) <= 4,
                 qPrintable(QStringLiteral("%1 vs %2").arg(right).arg(30 + width)));
    }
}

void TestSurface::svgHoldsAnyFontName()
{
    // Label fonts come from the system's list, whatever their names hold.
    const QString family = QStringLiteral("Odd & \"Quoted\" <Face>");
    Surface s(QStringLiteral("s"), {0, 0, 1500, 1215}, {}, output::tahoma(14.25));
    s.setFontName(family);
    s.Print(QStringLiteral("X"));
    QXmlStreamReader xml(s.toSvg());
    QStringList families;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd())
        if (xml.isStartElement() && xml.name() == u"text")
            families << xml.attributes().value(QStringLiteral("font-family")).toString();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(families, QStringList{family});
}

void TestSurface::everyOutputShowsOnlyTheLastDrawing_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("decoded");
    QTest::newRow("Code 128, long then short") << "Code 128"
                                               << "A much longer symbol drawn first"
                                               << "Short"
                                               << "Short";
    QTest::newRow("Code 39, symbol then message") << "Code 39"
                                                  << "FIRST SYMBOL"
                                                  << "A*B"
                                                  << "<no symbol>";
}

void TestSurface::everyOutputShowsOnlyTheLastDrawing()
{
    QFETCH(QString, symbology);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, decoded);
    const auto draw = symbology == u"Code 128" ? &linear::DrawCode128 : &linear::DrawCode39;
    const auto format =
        symbology == u"Code 128" ? ZXing::BarcodeFormat::Code128 : ZXing::BarcodeFormat::Code39;
    Surface s(QStringLiteral("Picture1"), {1200, 4440, 4635, 1215}, {}, output::tahoma(14.25));
    const linear::Options options{.optimize = 0, .label = 1, .check = 0};
    draw(s, first, options);
    draw(s, second, options);
    const QImage image = s.Image();

    QImage fromSvg(image.size(), QImage::Format_RGB32);
    fromSvg.fill(Qt::white);
    {
        QSvgRenderer svg(s.toSvg());
        QPainter p(&fromSvg);
        svg.render(&p, QRectF(QPointF(0, 0), QSizeF(image.size())));
    }
    // The recording drawn again at twice the pixels, read back a pixel per module.
    QImage replayed(image.size() * 2, QImage::Format_RGB32);
    replayed.setDotsPerMeterX(3780);
    replayed.setDotsPerMeterY(3780);
    replayed.fill(Qt::white);
    {
        QPainter p(&replayed);
        p.scale(2, 2);
        s.replay(p, image.rect());
    }
    const QImage halved = replayed.scaled(image.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);

    // Rows through the bars, below any message, column by column.
    for (const int row : {30, 45})
        for (const QImage* other : std::initializer_list<const QImage*>{&fromSvg, &halved})
            QCOMPARE(testing::darkColumns(*other, row), testing::darkColumns(image, row));
    for (const QImage* other : std::initializer_list<const QImage*>{&image, &fromSvg, &halved})
        QCOMPARE(QString::fromStdString(testing::decode(*other, format)), decoded);
}

namespace {
using Change = std::function<void(Surface& s, Surface& other)>;
}

void TestSurface::everyChangeReachesTheRecording_data()
{
    // A surface that has not changed hands out the recording it made last;
    // whatever changes it must make a new one.
    QTest::addColumn<Change>("change");
    const auto row = [](const char* name, Change change) { QTest::newRow(name) << change; };
    row("Line", [](Surface& s, Surface&) { s.Line(3, 2, 3, 40); });
    row("Lines", [](Surface& s, Surface&) { s.Lines(30, 2, 40, 3); });
    row("Bars", [](Surface& s, Surface&) {
        const std::array<Surface::Bar, 2> bars = {{{40, 2, 30, draw::kBlack}, {44, 1, 35, draw::kBlack}}};
        s.Bars(2, bars);
    });
    row("Box", [](Surface& s, Surface&) { s.Box(5, 5, 20, 20); });
    row("Print", [](Surface& s, Surface&) { s.Print(QStringLiteral("9")); });
    row("PrintEach", [](Surface& s, Surface&) {
        const QString text = QStringLiteral("7");
        const std::array<Surface::Caption, 1> captions = {{{60, 10, &text}}};
        s.PrintEach(captions);
    });
    row("Cls", [](Surface& s, Surface&) { s.Cls(); });
    row("BackColor", [](Surface& s, Surface&) { s.setBackColor(draw::kActiveBorder); });
    row("Width", [](Surface& s, Surface&) { s.setWidth(3000); });
    row("extendTo", [](Surface& s, Surface&) { s.extendTo(400); });
    row("picture image", [](Surface& s, Surface& other) { s.setPicture(other.Image()); });
    row("picture of another", [](Surface& s, Surface& other) { s.setPicture(other); });
    row("picture of itself", [](Surface& s, Surface&) { s.setPicture(s); });
}

void TestSurface::everyChangeReachesTheRecording()
{
    QFETCH(Change, change);
    QByteArray before;
    const auto drawn = [&](bool lookFirst) {
        auto s = std::make_unique<Surface>(QStringLiteral("s"), QRectF(0, 0, 1500, 1500), Surface::Scale{},
                                           output::tahoma(10));
        Surface other(QStringLiteral("other"), {0, 0, 1500, 1500}, {}, output::tahoma(10));
        other.Line(12, 0, 12, 30);
        s->Lines(20, 4, 30, 2);
        s->setCurrentX(2);
        s->setCurrentY(50);
        s->Print(QStringLiteral("A"));
        // Looked at first, and kept as a clipboard keeps it; and looked at
        // again by a listener while the change is told.
        std::function<QByteArray()> kept;
        if (lookFirst) {
            before = s->toSvg();
            kept = s->svgWriter();
            s->markPainted();
            QObject::connect(s.get(), &Surface::changed, s.get(), [&s] { s->toSvg(); });
        }
        change(*s, other);
        if (kept)
            before = kept();
        return s->toSvg();
    };
    const QByteArray after = drawn(true);
    QCOMPARE(after, drawn(false));
    QVERIFY(after != before);
}

void TestSurface::printEachSetsWhatPrintSets()
{
    // Texts placed in one call come out as printed one after another: over
    // bars and each other, out of order, beyond the width (which grows), in
    // and out of ASCII, and with the glyph cache full, so that it would drop
    // sprites while they wait to be set (the sanitizer build sees that).
    const auto make = [] {
        auto s = std::make_unique<Surface>(QStringLiteral("s"), QRectF(0, 0, 1500, 900), Surface::Scale{},
                                           output::tahoma(10));
        // As many short texts as the cache keeps: the next new one would empty it.
        for (int i = 0; i < 256; ++i)
            s->Print(QString::number(i));
        s->Cls();
        s->Lines(5, 0, 30, 3);
        s->Lines(20, 0, 12, 2);
        return s;
    };
    const std::vector<std::pair<QPointF, QString>> texts = {
        {{3, 16}, QStringLiteral("12")}, // kept from before, then new ones
        {{2, 10}, QStringLiteral(" 7 ")},  {{6, 12}, QStringLiteral("Zq")},
        {{60, 20}, QStringLiteral("x")},   {{30, 5}, QStringLiteral("AB")},
        {{90, 10}, QStringLiteral("Wide past the width")},
        {{40, 15}, QStringLiteral("\u00e9\u00df")}, {{12, 10}, QStringLiteral("#")},
        {{200, 0}, QStringLiteral("far")}, {{18, 14}, QStringLiteral("M")},
    };
    auto each = make();
    auto oneByOne = make();
    std::vector<Surface::Caption> captions;
    for (const auto& [at, text] : texts) {
        captions.push_back({at.x(), at.y(), &text});
        oneByOne->setCurrentX(at.x());
        oneByOne->setCurrentY(at.y());
        oneByOne->Print(text);
    }
    each->PrintEach(captions);
    QCOMPARE(each->imageWidth(), oneByOne->imageWidth());
    QCOMPARE(each->Image(), oneByOne->Image());
    QCOMPARE(each->toSvg(), oneByOne->toSvg());
    QCOMPARE(each->CurrentX(), oneByOne->CurrentX());
    QCOMPARE(each->CurrentY(), oneByOne->CurrentY());

    // A slanted glyph's ink reaches past its advance. Set at the right edge,
    // that ink is cut off when printed alone; a later text that widens the
    // image must not bring it back.
    QFont slanted = output::tahoma(28);
    slanted.setItalic(true);
    const QString f = QStringLiteral("f"), far = QStringLiteral("far");
    for (double x = 76; x <= 96; ++x) {
        Surface together(QStringLiteral("s"), QRectF(0, 0, 1500, 900), Surface::Scale{}, slanted);
        Surface apart(QStringLiteral("s"), QRectF(0, 0, 1500, 900), Surface::Scale{}, slanted);
        const std::array<Surface::Caption, 2> pair{{{x, 0, &f}, {150, 0, &far}}};
        together.PrintEach(pair);
        for (const Surface::Caption& c : pair) {
            apart.setCurrentX(c.x);
            apart.setCurrentY(c.y);
            apart.Print(*c.text);
        }
        QCOMPARE(together.Image(), apart.Image());
    }
}

QTEST_MAIN(TestSurface)
#include "tst_surface.moc"
