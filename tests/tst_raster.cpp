// The surface's pixels: bars collected and set a row at a time must land
// exactly where column-by-column drawing would put them, and glyph ink must
// blend as the arithmetic says.
#include "draw/RasterImage.h"

#include <QTest>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>

using draw::RasterImage;

namespace {

// A bar (count columns from x, rows top..bottom, in a grey) or, with count
// 0, a filled rectangle that makes the rows under it differ before the bars.
struct Step {
    int x;
    int top;
    int bottom;
    int count;
    int grey;
    QRect fill = {};
};

constexpr int kHeight = 12;

QImage reference(const std::vector<Step>& steps, int width)
{
    QImage image(width, kHeight, QImage::Format_Grayscale8);
    image.fill(255);
    for (const Step& s : steps) {
        if (!s.fill.isNull()) {
            for (int y = s.fill.top(); y <= s.fill.bottom(); ++y)
                for (int x = s.fill.left(); x <= s.fill.right(); ++x)
                    image.scanLine(y)[x] = uchar(s.grey);
            continue;
        }
        for (int x = std::max(s.x, 0); x < s.x + s.count; ++x)
            for (int y = std::max(s.top, 0); y <= std::min(s.bottom, kHeight - 1); ++y)
                image.scanLine(y)[x] = uchar(s.grey);
    }
    return image;
}

void drawSteps(RasterImage& raster, const std::vector<Step>& steps)
{
    for (const Step& s : steps) {
        if (!s.fill.isNull())
            raster.fillRect(s.fill, QColor(s.grey, s.grey, s.grey));
        else
            raster.columns(s.x, s.top, s.bottom, s.count, qRgb(s.grey, s.grey, s.grey));
    }
}

} // namespace

class TestRaster : public QObject {
    Q_OBJECT
  private slots:
    void barsLandAsColumnByColumn_data();
    void barsLandAsColumnByColumn();
    void everyLookShowsWhatWasDrawn_data();
    void everyLookShowsWhatWasDrawn();
    void growingKeepsCollectedBars();
    void clearLeavesOnlyBackground();
    void drawingAfterClearShowsNothingOld_data();
    void drawingAfterClearShowsNothingOld();
    void blendFollowsCoverage_data();
    void blendFollowsCoverage();
    void blendIsExactOverEveryPaper();
    void textSetsWhatGlyphByGlyphSets_data();
    void textSetsWhatGlyphByGlyphSets();
    void anyDrawingMatchesAPlainModel();
    void imageTooLargeThrowsAndKeepsThePixels_data();
    void imageTooLargeThrowsAndKeepsThePixels();
};

void TestRaster::barsLandAsColumnByColumn_data()
{
    QTest::addColumn<std::vector<Step>>("steps");
    const QRect under(4, 6, 30, 3); // as a label set before the bars
    QTest::newRow("one run") << std::vector<Step>{{2, 1, 9, 3, 0}, {7, 1, 9, 1, 0}, {10, 1, 9, 4, 0}};
    QTest::newRow("two heights") << std::vector<Step>{{2, 1, 9, 3, 0}, {6, 1, 5, 2, 0}, {9, 1, 9, 2, 0}};
    QTest::newRow("over other pixels")
        << std::vector<Step>{{0, 0, 0, 0, 128, under}, {3, 0, 11, 2, 0}, {8, 0, 11, 5, 0}, {20, 0, 11, 1, 0}};
    QTest::newRow("over the first row")
        << std::vector<Step>{{0, 0, 0, 0, 90, QRect(2, 0, 9, 1)}, {3, 0, 11, 2, 0}, {9, 0, 11, 3, 0}};
    QTest::newRow("guards over a label") << std::vector<Step>{
        {0, 0, 0, 0, 128, under}, {2, 1, 10, 3, 0}, {6, 1, 6, 2, 0}, {8, 1, 11, 1, 255}, {9, 1, 6, 4, 0}};
    QTest::newRow("side by side over a label") << std::vector<Step>{
        {0, 0, 0, 0, 128, under}, {2, 1, 10, 3, 0}, {5, 1, 7, 2, 255}, {7, 1, 10, 4, 0}, {11, 1, 7, 1, 255}};
    QTest::newRow("light over dark") << std::vector<Step>{
        {2, 2, 8, 10, 0}, {4, 2, 8, 2, 255}, {9, 2, 8, 1, 255}};
    QTest::newRow("clipped at the edges") << std::vector<Step>{{-2, -5, 20, 4, 0}, {5, -5, 20, 1, 0}};
    QTest::newRow("greys") << std::vector<Step>{{1, 3, 7, 2, 180}, {3, 3, 7, 2, 0}, {2, 3, 7, 2, 64}};
}

void TestRaster::barsLandAsColumnByColumn()
{
    QFETCH(std::vector<Step>, steps);
    RasterImage raster(QSize(40, kHeight));
    drawSteps(raster, steps);
    QCOMPARE(raster.copy(), reference(steps, 40));
}

void TestRaster::drawingAfterClearShowsNothingOld_data()
{
    // A clear leaves what was drawn until something needs the pixels, and
    // bars set their rows whole without it: whatever the old drawing reached
    // beyond the new bars (rows, columns, either side) must still go.
    QTest::addColumn<std::vector<Step>>("before");
    QTest::addColumn<std::vector<Step>>("after");
    const QRect label(3, 8, 30, 4);
    QTest::newRow("shorter bars over bars and label")
        << std::vector<Step>{{2, 1, 7, 30, 0}, {0, 0, 0, 0, 60, label}}
        << std::vector<Step>{{5, 1, 4, 2, 0}, {10, 1, 4, 3, 0}};
    QTest::newRow("bars left of the old ones")
        << std::vector<Step>{{20, 1, 9, 15, 0}} << std::vector<Step>{{2, 1, 9, 2, 0}, {8, 1, 9, 1, 0}};
    QTest::newRow("bars inside the old area")
        << std::vector<Step>{{1, 0, 11, 38, 0}} << std::vector<Step>{{12, 3, 6, 2, 0}, {20, 3, 6, 4, 0}};
    QTest::newRow("bars, then a label")
        << std::vector<Step>{{1, 0, 11, 38, 0}}
        << std::vector<Step>{{4, 1, 5, 3, 0}, {0, 0, 0, 0, 30, QRect(2, 7, 10, 2)}, {20, 1, 5, 2, 0}};
    QTest::newRow("old bars never set") << std::vector<Step>{{0, 0, 0, 0, 60, label}, {2, 1, 6, 30, 0}}
                                        << std::vector<Step>{{4, 2, 10, 2, 0}};
    QTest::newRow("guards reach into the old label")
        << std::vector<Step>{{2, 1, 7, 30, 0}, {0, 0, 0, 0, 60, label}}
        << std::vector<Step>{{2, 1, 5, 3, 0}, {6, 1, 10, 1, 0}, {8, 1, 5, 2, 0}, {20, 1, 11, 2, 0}};
    QTest::newRow("side by side over a picture")
        << std::vector<Step>{{2, 1, 7, 30, 0}, {0, 0, 0, 0, 60, label}}
        << std::vector<Step>{
               {0, 0, 0, 0, 90, QRect(1, 5, 20, 4)}, {2, 1, 9, 3, 0}, {5, 1, 9, 2, 255}, {7, 1, 11, 3, 0}};
    QTest::newRow("nothing new") << std::vector<Step>{{2, 1, 7, 30, 0}, {0, 0, 0, 0, 60, label}}
                                 << std::vector<Step>{};
}

void TestRaster::drawingAfterClearShowsNothingOld()
{
    QFETCH(std::vector<Step>, before);
    QFETCH(std::vector<Step>, after);
    RasterImage raster(QSize(40, kHeight));
    drawSteps(raster, before);
    // The first clear leaves the old bars collected in the "never set" case.
    raster.clear(40);
    drawSteps(raster, after);
    QCOMPARE(raster.copy(), reference(after, 40));
    // Twice in a row, with a copy in between and without.
    raster.clear(40);
    raster.clear(40);
    drawSteps(raster, before);
    raster.clear(40);
    drawSteps(raster, after);
    QCOMPARE(raster.copy(), reference(after, 40));
}

using Look = std::function<QImage(const RasterImage&)>;

void TestRaster::everyLookShowsWhatWasDrawn_data()
{
    // Bars wait to be set and a clear leaves the old drawing to be painted
    // over; whichever way the pixels are looked at, through a const image,
    // that work must be done first, and drawing after the look must go on
    // from what it showed.
    QTest::addColumn<Look>("look");
    QTest::addColumn<std::vector<Step>>("before"); // then a clear
    QTest::addColumn<std::vector<Step>>("after");
    const Look image = [](const RasterImage& r) { return r.image().copy(0, 0, r.extent(), r.height()); };
    const Look copy = [](const RasterImage& r) { return r.copy(); };
    const Look shared = [](const RasterImage& r) { return r.shared(); };
    const std::vector<Step> bars = {{2, 1, 9, 3, 0}, {7, 1, 5, 1, 0}, {10, 1, 9, 4, 0}};
    const std::vector<Step> old = {{0, 0, 0, 0, 60, QRect(3, 2, 30, 8)}, {1, 0, 11, 2, 0}};
    for (const auto& [name, look] : {std::pair{"image", image}, {"copy", copy}, {"shared", shared}}) {
        QTest::addRow("%s: bars collected", name) << look << std::vector<Step>{} << bars;
        QTest::addRow("%s: bars over what a clear left", name) << look << old << bars;
        QTest::addRow("%s: what a clear left alone", name) << look << old << std::vector<Step>{};
    }
}

void TestRaster::everyLookShowsWhatWasDrawn()
{
    QFETCH(Look, look);
    QFETCH(std::vector<Step>, before);
    QFETCH(std::vector<Step>, after);
    RasterImage raster(QSize(40, kHeight));
    drawSteps(raster, before);
    raster.clear(40);
    drawSteps(raster, after);
    QCOMPARE(look(raster), reference(after, 40));
    std::vector<Step> more = after;
    more.push_back({20, 3, 11, 2, 0});
    drawSteps(raster, {more.back()});
    QCOMPARE(look(raster), reference(more, 40));
}

void TestRaster::growingKeepsCollectedBars()
{
    // The image grows while bars wait to be set: both the waiting bars and the
    // new columns' background must survive the copy.
    RasterImage raster(QSize(8, kHeight));
    raster.columns(1, 1, 9, 2, qRgb(0, 0, 0));
    raster.columns(30, 1, 9, 3, qRgb(0, 0, 0));
    raster.columns(500, 1, 9, 1, qRgb(0, 0, 0));
    QCOMPARE(raster.extent(), 501);
    const std::vector<Step> steps{{1, 1, 9, 2, 0}, {30, 1, 9, 3, 0}, {500, 1, 9, 1, 0}};
    QCOMPARE(raster.copy(), reference(steps, 501));
    // Narrowed and widened again: background, not the old bar.
    raster.setExtent(100);
    raster.setExtent(501);
    QCOMPARE(raster.copy(), reference({{1, 1, 9, 2, 0}, {30, 1, 9, 3, 0}}, 501));
}

void TestRaster::clearLeavesOnlyBackground()
{
    // A clear repaints what was drawn since the last one; whatever way it was
    // drawn, nothing of it may be left, nor of what lay beyond a narrower extent.
    QImage coverage(5, 4, QImage::Format_Alpha8);
    coverage.fill(200);
    const auto uniform = [](const QImage& image, int grey) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) != QColor(grey, grey, grey))
                    return false;
        return true;
    };
    RasterImage raster(QSize(40, kHeight));
    for (int grey : {255, 255, 100, 100}) {
        raster.columns(3, 1, 9, 4, qRgb(0, 0, 0));
        raster.fillRect(QRect(20, 2, 3, 3), Qt::black);
        raster.line(QLine(30, 5, 38, 5), qRgb(0, 0, 0), 2);
        raster.blend(coverage, 12, 6, 0);
        raster.columns(60, 0, 11, 2, qRgb(0, 0, 0)); // grows
        raster.setExtent(40);
        raster.setBackground(qRgb(grey, grey, grey), QImage());
        raster.clear(70);
        QVERIFY2(uniform(raster.copy(), grey), qPrintable(QString::number(grey)));
        raster.clear(40);
    }
}

void TestRaster::blendFollowsCoverage_data()
{
    QTest::addColumn<int>("paper");
    QTest::addColumn<int>("ink");
    QTest::newRow("black on white") << 255 << 0;
    QTest::newRow("white on black") << 0 << 255;
    QTest::newRow("grey on grey") << 200 << 77;
    QTest::newRow("same grey") << 90 << 90;
}

void TestRaster::blendFollowsCoverage()
{
    QFETCH(int, paper);
    QFETCH(int, ink);
    // Every coverage in one row, the paper in the row below it.
    QImage coverage(256, 1, QImage::Format_Alpha8);
    for (int a = 0; a < 256; ++a)
        coverage.scanLine(0)[a] = uchar(a);
    RasterImage raster(QSize(260, 3));
    raster.setBackground(qRgb(paper, paper, paper), QImage());
    raster.clear(260);
    raster.blend(coverage, 2, 1, ink);
    const QImage image = raster.copy();
    for (int a = 0; a < 256; ++a) {
        const int got = image.constScanLine(1)[2 + a];
        const double exact = paper + (ink - paper) * a / 255.0;
        QVERIFY2(std::abs(got - exact) <= 0.51,
                 qPrintable(QStringLiteral("coverage %1: %2").arg(a).arg(got)));
        if (a == 0)
            QCOMPARE(got, paper);
        if (a == 255)
            QCOMPARE(got, ink);
    }
    // Only the sprite's own pixels change.
    QCOMPARE(int(image.constScanLine(1)[1]), paper);
    QCOMPARE(int(image.constScanLine(0)[100]), paper);
    QCOMPARE(int(image.constScanLine(2)[100]), paper);
}

void TestRaster::blendIsExactOverEveryPaper()
{
    // Eight pixels are blended at once where the rows allow it, one by one
    // elsewhere: every ink over every paper under every coverage must give
    // the same rounding either way, and lanes past the sprite must keep
    // their pixel. A sprite 261 wide ends in a part of eight lanes; one 9
    // wide at the image's right edge is cut off and ends pixel by pixel.
    QImage wide(261, 256, QImage::Format_Alpha8);
    for (int a = 0; a < 256; ++a)
        std::memset(wide.scanLine(a), a, size_t(wide.width()));
    QImage narrow(9, 256, QImage::Format_Alpha8);
    for (int a = 0; a < 256; ++a)
        std::memset(narrow.scanLine(a), 255 - a, size_t(narrow.width()));
    const auto expected = [](int paper, int ink, int a) {
        const int t = (ink - paper) * a + 128;
        return paper + ((t + (t >> 8)) >> 8);
    };
    constexpr int kLeft = 3;
    constexpr int kWidth = kLeft + 261 + 1 + 6; // the narrow sprite hangs 3 columns over
    RasterImage raster(QSize(kWidth, 257));
    for (int ink = 0; ink < 256; ink += (ink < 4 || ink > 250) ? 1 : 7) {
        raster.clear(kWidth);
        for (int x = 0; x < kWidth; ++x)
            raster.columns(x, 0, 256, 1, qRgb((x * 37) % 256, (x * 37) % 256, (x * 37) % 256));
        const QImage before = raster.copy();
        raster.blend(wide, kLeft, 0, ink);
        raster.blend(narrow, kWidth - 6, 0, ink);
        const QImage after = raster.copy();
        for (int y = 0; y < 257; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const int paper = before.constScanLine(y)[x];
                int want = paper;
                if (y < 256 && x >= kLeft && x < kLeft + 261)
                    want = expected(paper, ink, y);
                else if (y < 256 && x >= kWidth - 6)
                    want = expected(paper, ink, 255 - y);
                if (after.constScanLine(y)[x] != want)
                    QFAIL(qPrintable(QStringLiteral("ink %1, paper %2, pixel %3,%4: %5 instead of %6")
                                         .arg(ink)
                                         .arg(paper)
                                         .arg(x)
                                         .arg(y)
                                         .arg(after.constScanLine(y)[x])
                                         .arg(want)));
            }
        }
    }
}

namespace {
// A glyph's ink with its top-left corner.
struct GlyphAt {
    int ink;
    int x;
    int y;
};
using Text = std::vector<GlyphAt>;

// Inks of a few sizes with every level of coverage, blank rows and columns
// at their edges as cropped glyphs may have.
std::vector<draw::Ink> testInks()
{
    std::vector<draw::Ink> inks;
    std::uint32_t seed = 12345;
    for (const QSize size : {QSize(5, 9), QSize(9, 12), QSize(3, 4), QSize(17, 6)}) {
        QImage coverage(size, QImage::Format_Alpha8);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                const bool edge = y == 0 || x == size.width() - 1;
                coverage.scanLine(y)[x] = edge ? 0 : uchar(seed >> 24);
            }
        inks.push_back(draw::Ink{coverage});
    }
    return inks;
}
} // namespace

void TestRaster::textSetsWhatGlyphByGlyphSets_data()
{
    // A text's glyphs are copied from their stamps where they meet only
    // paper and blended elsewhere: a glyph over bars, over another glyph,
    // over a picture, over what a clear left to be painted, or partly off
    // the image must come out as blending it on its own does.
    QTest::addColumn<std::vector<Step>>("before");
    QTest::addColumn<bool>("clearFirst");
    QTest::addColumn<int>("pictureGrey"); // -1: no picture
    QTest::addColumn<std::vector<Text>>("texts");
    const std::vector<Step> bars = {{2, 0, 5, 3, 0}, {8, 0, 5, 2, 0}, {14, 0, 5, 20, 0}};
    const Text label = {{0, 3, 6}, {1, 9, 5}, {0, 19, 6}, {2, 27, 7}};
    QTest::newRow("on paper") << std::vector<Step>{} << false << -1 << std::vector<Text>{label};
    QTest::newRow("reaching into bars above") << bars << false << -1 << std::vector<Text>{label};
    QTest::newRow("glyphs over each other")
        << bars << false << -1 << std::vector<Text>{{{1, 3, 6}, {0, 6, 7}, {3, 8, 2}, {2, 9, 6}, {1, 30, 1}}};
    QTest::newRow("digit after digit")
        << std::vector<Step>{} << false << -1
        << std::vector<Text>{{{1, 4, 3}}, {{1, 11, 3}}, {{0, 19, 2}}, {{3, 14, 8}}, {{0, 5, 0}}};
    QTest::newRow("over a label drawn before") << std::vector<Step>{{0, 0, 0, 0, 90, QRect(5, 4, 12, 5)}}
                                               << false << -1 << std::vector<Text>{label};
    // More pieces than the image keeps one by one, the first ones far from
    // the label and the last under it: past them it knows only their bounds.
    std::vector<Step> dots;
    for (int i = 0; i < 48; ++i)
        dots.push_back({0, 0, 0, 0, 90, QRect((i * 7) % 40, i / 40, 1, 1)});
    for (const QPoint dot : {QPoint(5, 8), QPoint(12, 9), QPoint(14, 7), QPoint(21, 10), QPoint(28, 8)})
        dots.push_back({0, 0, 0, 0, 90, QRect(dot, QSize(1, 1))});
    QTest::newRow("over many pieces") << dots << false << -1 << std::vector<Text>{label};
    QTest::newRow("over what a clear left") << bars << true << -1 << std::vector<Text>{label};
    QTest::newRow("over a picture") << std::vector<Step>{} << true << 120 << std::vector<Text>{label};
    QTest::newRow("over a blank picture") << bars << true << 255 << std::vector<Text>{label};
    QTest::newRow("partly off the image")
        << bars << false << -1 << std::vector<Text>{{{1, -4, 5}, {3, 33, 8}, {1, 12, -3}}};
}

void TestRaster::textSetsWhatGlyphByGlyphSets()
{
    QFETCH(std::vector<Step>, before);
    QFETCH(bool, clearFirst);
    QFETCH(int, pictureGrey);
    QFETCH(std::vector<Text>, texts);
    const std::vector<draw::Ink> inks = testInks();
    QImage picture;
    if (pictureGrey >= 0) {
        picture = QImage(25, 9, QImage::Format_Grayscale8);
        picture.fill(pictureGrey);
    }
    for (const int fore : {0, 70}) {
        RasterImage text(QSize(40, kHeight));
        RasterImage oneByOne(QSize(40, kHeight));
        for (RasterImage* raster : {&text, &oneByOne}) {
            drawSteps(*raster, before);
            if (clearFirst) {
                raster->setBackground(qRgb(255, 255, 255), picture);
                raster->clear(40);
                // Bars drawn again after the clear, text over them.
                drawSteps(*raster, {{2, 0, 3, 2, 0}});
            }
        }
        for (const Text& glyphs : texts) {
            std::vector<RasterImage::Placed> placed;
            for (const GlyphAt& glyph : glyphs) {
                placed.push_back({&inks[size_t(glyph.ink)], glyph.x, glyph.y});
                oneByOne.blend(inks[size_t(glyph.ink)].coverage, glyph.x, glyph.y, fore);
            }
            text.blendText(placed, fore);
        }
        QCOMPARE(text.copy(), oneByOne.copy());
    }
}

namespace {
// The image as plainly as it can be kept: every pixel set when it is drawn,
// the background painted at once.
struct Model {
    QImage image{1, kHeight, QImage::Format_Grayscale8};
    int back = 255;
    QImage picture;

    explicit Model(int width) { clear(width); }
    void paint(int from, int to)
    {
        for (int y = 0; y < kHeight; ++y)
            for (int x = from; x < to; ++x) {
                const bool shown = !picture.isNull() && x < picture.width() && y < picture.height();
                image.scanLine(y)[x] = shown ? picture.constScanLine(y)[x] : uchar(back);
            }
    }
    void clear(int width)
    {
        image = QImage(width, kHeight, QImage::Format_Grayscale8);
        paint(0, width);
    }
    void setExtent(int width)
    {
        const int old = image.width();
        image = image.copy(0, 0, width, kHeight);
        if (width > old)
            paint(old, width);
    }
    void set(int x, int y, int grey)
    {
        if (x >= 0 && y >= 0 && x < image.width() && y < kHeight)
            image.scanLine(y)[x] = uchar(grey);
    }
    void columns(int x, int top, int bottom, int count, int grey)
    {
        if (x + count > image.width())
            setExtent(x + count);
        for (int c = x; c < x + count; ++c)
            for (int y = top; y <= bottom; ++y)
                set(c, y, grey);
    }
    void blend(const QImage& coverage, int px, int py, int fore)
    {
        for (int y = 0; y < coverage.height(); ++y)
            for (int x = 0; x < coverage.width(); ++x) {
                const int X = px + x;
                const int Y = py + y;
                if (X < 0 || Y < 0 || X >= image.width() || Y >= kHeight)
                    continue;
                const int paper = image.constScanLine(Y)[X];
                const int t = (fore - paper) * coverage.constScanLine(y)[x] + 128;
                set(X, Y, paper + ((t + (t >> 8)) >> 8));
            }
    }
};
} // namespace

void TestRaster::anyDrawingMatchesAPlainModel()
{
    // The image puts off what it can (a clear, the background under bars,
    // bars themselves) and copies where it knows the paper is plain. Mixed
    // at random, every kind of drawing, clear, growth and picture must still
    // show what drawing each pixel at once shows.
    const std::vector<draw::Ink> inks = testInks();
    std::uint32_t seed = 2026;
    const auto next = [&seed](int n) {
        seed = seed * 1664525u + 1013904223u;
        return int((seed >> 8) % std::uint32_t(n));
    };
    for (int run = 0; run < 3000; ++run) {
        RasterImage raster(QSize(40, kHeight));
        Model model(40);
        QStringList done;
        for (int step = 0; step < 24; ++step) {
            const int grey = next(3) == 0 ? 255 : next(2) == 0 ? 0 : next(256);
            switch (next(11)) {
            case 0:
            case 1: { // a symbol's bars from one top, left to right
                const int top = next(kHeight);
                std::vector<RasterImage::Column> bars;
                int x = next(20) - 2;
                for (int n = 1 + next(8); n > 0; --n) {
                    const int count = 1 + next(4);
                    const int bottom = top + next(kHeight + 2) - 1;
                    bars.push_back({x, count, bottom, uchar(next(2) == 0 ? 0 : 255)});
                    x += count + (next(2) == 0 ? 0 : next(4));
                }
                raster.columns(top, bars);
                for (const RasterImage::Column& bar : bars)
                    model.columns(std::max(bar.x, 0), top, bar.bottom, bar.count + std::min(bar.x, 0), bar.grey);
                done << QStringLiteral("bars from %1").arg(top);
                break;
            }
            case 2: {
                const int x = next(45) - 2, top = next(kHeight + 2) - 1, count = 1 + next(5);
                const int bottom = top + next(kHeight);
                raster.columns(x, top, bottom, count, qRgb(grey, grey, grey));
                model.columns(std::max(x, 0), top, bottom, count + std::min(x, 0), grey);
                done << QStringLiteral("columns %1").arg(x);
                break;
            }
            case 3: {
                const QRect rect(next(44) - 2, next(kHeight + 2) - 2, 1 + next(12), 1 + next(6));
                raster.fillRect(rect, QColor(grey, grey, grey));
                for (int y = rect.top(); y <= rect.bottom(); ++y)
                    for (int x = rect.left(); x <= rect.right(); ++x)
                        model.set(x, y, grey);
                done << QStringLiteral("fill");
                break;
            }
            case 4:
            case 5: { // a text of a few glyphs, or one glyph alone
                std::vector<RasterImage::Placed> placed;
                const int fore = next(2) == 0 ? 0 : next(256);
                int x = next(40) - 4;
                for (int n = 1 + next(4); n > 0; --n) {
                    const draw::Ink& ink = inks[size_t(next(int(inks.size())))];
                    placed.push_back({&ink, x, next(kHeight + 4) - 4});
                    x += next(12) - 2;
                }
                if (next(4) == 0) {
                    for (const RasterImage::Placed& glyph : placed)
                        raster.blend(glyph.ink->coverage, glyph.x, glyph.y, fore);
                } else {
                    raster.blendText(placed, fore);
                }
                for (const RasterImage::Placed& glyph : placed)
                    model.blend(glyph.ink->coverage, glyph.x, glyph.y, fore);
                done << QStringLiteral("text");
                break;
            }
            case 6:
            case 7: {
                const int width = next(4) == 0 ? 1 + next(60) : 40;
                raster.clear(width);
                model.clear(width);
                done << QStringLiteral("clear %1").arg(width);
                break;
            }
            case 8: {
                const int back = next(2) == 0 ? 255 : grey;
                QImage picture;
                if (next(3) == 0) {
                    // Blank (the background alone) or not.
                    picture = QImage(1 + next(45), 1 + next(kHeight + 2), QImage::Format_Grayscale8);
                    picture.fill(back);
                    if (next(2) == 0)
                        picture.scanLine(next(picture.height()))[next(picture.width())] = uchar(next(255));
                }
                if (next(2) == 0) {
                    raster.setBackground(qRgb(back, back, back), picture);
                } else {
                    raster.reset(qRgb(back, back, back), picture);
                    model.back = back;
                    model.picture = picture;
                    model.clear(model.image.width());
                }
                model.back = back;
                model.picture = picture;
                done << QStringLiteral("background %1%2").arg(back).arg(picture.isNull() ? "" : " + picture");
                break;
            }
            case 9: {
                raster.keepAsPicture();
                model.picture = model.image.copy();
                done << QStringLiteral("kept");
                break;
            }
            default: {
                const int width = 1 + next(60);
                raster.setExtent(width);
                model.setExtent(width);
                done << QStringLiteral("extent %1").arg(width);
                break;
            }
            }
            // Looking in between makes the image settle what it put off.
            if (next(6) == 0 || step == 23) {
                QCOMPARE(raster.extent(), model.image.width());
                if (raster.copy() != model.image)
                    QFAIL(qPrintable(QStringLiteral("run %1: %2").arg(run).arg(done.join(QStringLiteral(", ")))));
            }
        }
    }
}

void TestRaster::imageTooLargeThrowsAndKeepsThePixels_data()
{
    // Wider than any image QImage allocates: it hands back a null image
    // without asking for memory, as it does when an allocation fails.
    constexpr int kTooWide = 300'000'000;
    QTest::addColumn<std::function<void(RasterImage&)>>("grow");
    QTest::newRow("growing") << std::function<void(RasterImage&)>(
        [](RasterImage& r) { r.ensureWidth(kTooWide); });
    QTest::newRow("room reserved") << std::function<void(RasterImage&)>(
        [](RasterImage& r) { r.reserveWidth(kTooWide); });
    QTest::newRow("a bar far out") << std::function<void(RasterImage&)>(
        [](RasterImage& r) { r.columns(kTooWide - 1, 0, 3, 1, qRgb(0, 0, 0)); });
    QTest::newRow("widened") << std::function<void(RasterImage&)>(
        [](RasterImage& r) { r.setExtent(kTooWide); });
}

// An image that cannot be had is thrown as a failed allocation, never written
// through; what was drawn stays, and drawing goes on.
void TestRaster::imageTooLargeThrowsAndKeepsThePixels()
{
    QFETCH(std::function<void(RasterImage&)>, grow);
    const std::vector<Step> steps{{2, 1, 9, 3, 0}, {7, 1, 9, 1, 0}};
    RasterImage raster(QSize(40, kHeight));
    drawSteps(raster, steps);
    QVERIFY_THROWS_EXCEPTION(std::bad_alloc, grow(raster));
    QCOMPARE(raster.extent(), 40);
    QCOMPARE(raster.copy(), reference(steps, 40));
    raster.columns(20, 1, 9, 2, qRgb(0, 0, 0));
    QCOMPARE(raster.copy().pixel(21, 5), qRgb(0, 0, 0));
}

QTEST_MAIN(TestRaster)
#include "tst_raster.moc"
