#include "draw/RasterImage.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace draw {

namespace {
// Images are 96 dots per inch so that point sizes render as on a 96-dpi screen.
constexpr int kDotsPerMeter = 3780;

// Every colour this program draws is a grey, so one byte a pixel holds the
// image exactly, at a quarter of the memory of 32-bit pixels: long symbols
// are hundreds of thousands of pixels wide.
// QImage answers a failed allocation with a null image, which the row loops
// would then write through: a failure is thrown as a failed `new` would be,
// for the caller that drew the symbol to give up on it alone.
QImage allocated(QImage image)
{
    if (image.isNull())
        throw std::bad_alloc();
    return image;
}

QImage blankImage(int width, int height)
{
    QImage image = allocated(QImage(std::max(width, 1), std::max(height, 1), QImage::Format_Grayscale8));
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    return image;
}

// n bytes of v from p by stores alone: most bars are a few pixels wide, and
// a library call, or a read of bytes just written beside them, costs more
// than the bar.
inline void fillExact(uchar* p, size_t n, uchar v)
{
    if (n >= 16) {
        std::memset(p, v, n);
        return;
    }
    const std::uint64_t v8 = 0x0101010101010101ull * v;
    if (n >= 8) {
        std::memcpy(p, &v8, 8);
        std::memcpy(p + n - 8, &v8, 8);
    } else if (n >= 4) {
        const auto v4 = std::uint32_t(v8);
        std::memcpy(p, &v4, 4);
        std::memcpy(p + n - 4, &v4, 4);
    } else if (n >= 2) {
        const auto v2 = std::uint16_t(v8);
        std::memcpy(p, &v2, 2);
        std::memcpy(p + n - 2, &v2, 2);
    } else if (n == 1) {
        *p = v;
    }
}

// The same for a copy: a glyph's row is a few pixels. Longer rows go to the
// library, which measured faster than sixteen bytes at a time in line.
inline void copyExact(uchar* to, const uchar* from, size_t n)
{
    if (n > 16) {
        std::memcpy(to, from, n);
        return;
    }
    if (n >= 8) {
        std::uint64_t a;
        std::uint64_t b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, from + n - 8, 8);
        std::memcpy(to, &a, 8);
        std::memcpy(to + n - 8, &b, 8);
    } else if (n >= 4) {
        std::uint32_t a;
        std::uint32_t b;
        std::memcpy(&a, from, 4);
        std::memcpy(&b, from + n - 4, 4);
        std::memcpy(to, &a, 4);
        std::memcpy(to + n - 4, &b, 4);
    } else {
        for (size_t i = 0; i < n; ++i)
            to[i] = from[i];
    }
}

// A picture that shows nothing but the background leaves every pixel
// background, as no picture does.
bool showsOnly(const QImage& picture, uchar back)
{
    if (picture.isNull())
        return true;
    if (picture.format() != QImage::Format_Grayscale8)
        return false;
    for (int y = 0; y < picture.height(); ++y) {
        const uchar* row = picture.constScanLine(y);
        if (std::any_of(row, row + picture.width(), [back](uchar pixel) { return pixel != back; }))
            return false;
    }
    return true;
}
} // namespace

namespace {
// QRect's own operators are library calls; these run for every glyph and
// every piece drawn. Both rectangles are valid.
inline bool meets(const QRect& a, const QRect& b)
{
    return a.left() <= b.right() && b.left() <= a.right() && a.top() <= b.bottom() && b.top() <= a.bottom();
}

inline void unite(QRect& into, const QRect& rect)
{
    if (into.isEmpty())
        into = rect;
    else
        into.setCoords(std::min(into.left(), rect.left()), std::min(into.top(), rect.top()),
                       std::max(into.right(), rect.right()), std::max(into.bottom(), rect.bottom()));
}

inline bool within(const QRect& inner, const QRect& outer)
{
    return outer.left() <= inner.left() && outer.top() <= inner.top() && outer.right() >= inner.right() &&
           outer.bottom() >= inner.bottom();
}

inline QRect clipped(const QRect& rect, const QRect& bounds)
{
    return QRect(QPoint(std::max(rect.left(), bounds.left()), std::max(rect.top(), bounds.top())),
                 QPoint(std::min(rect.right(), bounds.right()), std::min(rect.bottom(), bounds.bottom())));
}
} // namespace

bool RasterImage::blankPicture() const
{
    // The same picture comes back under every symbol: looked at once. The
    // picture a surface keeps of itself is known without a look.
    if (m_picture.isNull())
        return true;
    const qint64 key = m_picture.cacheKey();
    if (key == m_keptKey && m_back == m_keptBack)
        return m_keptBlank;
    if (key != m_blankKey || m_back != m_blankBack) {
        m_blankKey = key;
        m_blankBack = m_back;
        m_blank = showsOnly(m_picture, m_back);
    }
    return m_blank;
}

void RasterImage::touched(const QRect& rect) const
{
    if (rect.isEmpty())
        return;
    unite(m_touched, rect);
    // Beyond a few pieces, the bounding rectangle alone.
    if (m_drawn.size() > kMaxPieces)
        return;
    if (!m_drawn.empty() && within(rect, m_drawn.back()))
        return;
    // A text's box takes the place of the glyph pieces blended inside it.
    while (!m_drawn.empty() && within(m_drawn.back(), rect))
        m_drawn.pop_back();
    if (m_drawn.size() < kMaxPieces)
        m_drawn.push_back(rect);
    else if (m_drawn.size() == kMaxPieces)
        m_drawn.push_back(QRect()); // marks the list as incomplete
}

bool RasterImage::drawnIn(const QRect& rect) const
{
    if (rect.isEmpty() || m_touched.isEmpty() || !meets(m_touched, rect))
        return false;
    if (m_drawn.size() > kMaxPieces)
        return true;
    return std::any_of(m_drawn.begin(), m_drawn.end(), [&rect](const QRect& piece) { return meets(piece, rect); });
}

uchar* RasterImage::writable() const
{
    // Shared with a picture or an image handed out, the pixels are copied
    // before a write; a copy that cannot be allocated would leave a null
    // image, so it is made here, where a failure leaves the old one.
    QImage& image = const_cast<QImage&>(m_image);
    if (!image.isDetached())
        image = allocated(image.copy());
    return image.bits();
}

RasterImage::RasterImage(QSize size) : m_image(blankImage(size.width(), size.height()))
{
    m_extent = m_image.width();
    paintBackground(0, m_extent);
}

void RasterImage::setBackground(QRgb colour, const QImage& picture)
{
    const auto back = static_cast<uchar>(qGray(colour));
    // The same plain background again (a renderer sets it on every redraw):
    // nothing to settle under the old one.
    if (back == m_back && picture.isNull() && m_picture.isNull())
        return;
    flush();
    // Until the next clear, what lies outside the drawing is the old background.
    if (back != m_back || !picture.isNull() || !m_picture.isNull())
        m_plain = false;
    m_back = back;
    m_picture = picture;
}

QImage RasterImage::copy() const
{
    flush();
    return allocated(m_image.copy(0, 0, m_extent, m_image.height()));
}

void RasterImage::paintBackground(int fromX, int toX)
{
    if (toX <= fromX)
        return;
    // Plain rows, no painter: this runs whenever the image grows.
    uchar* bits = writable();
    const qsizetype stride = m_image.bytesPerLine();
    const int height = m_image.height();
    if (!m_picture.isNull() && fromX < m_picture.width() && m_picture.format() == QImage::Format_Grayscale8) {
        // A picture taken from a surface has the image's own format: its rows
        // are the pixels, no painter needed, and no background under them.
        const int to = std::min(toX, m_picture.width());
        const int pictureRows = std::min(height, m_picture.height());
        for (int y = 0; y < height; ++y) {
            uchar* row = bits + y * stride;
            if (y < pictureRows) {
                std::memcpy(row + fromX, m_picture.constScanLine(y) + fromX, size_t(to - fromX));
                std::memset(row + to, m_back, size_t(toX - to));
            } else {
                std::memset(row + fromX, m_back, size_t(toX - fromX));
            }
        }
        return;
    }
    for (int y = 0; y < height; ++y)
        std::memset(bits + y * stride + fromX, m_back, size_t(toX - fromX));
    if (!m_picture.isNull() && fromX < m_picture.width()) {
        QPainter p(&m_image);
        p.setClipRect(QRect(fromX, 0, toX - fromX, m_image.height()));
        p.drawImage(0, 0, m_picture);
    }
}

void RasterImage::clear(int width)
{
    // Bars not yet set need not be: their rows only have to become background.
    if (!m_bars.empty()) {
        touched(QRect(m_barLeft, m_barTop, m_barRight - m_barLeft, m_barBottom - m_barTop + 1));
        m_bars.clear();
    }
    const int old = m_extent;
    if (width > m_image.width())
        ensureWidth(width);
    m_extent = width;
    if (m_plain) {
        // Columns up to the old extent are background but for what was drawn;
        // those beyond it are not kept and are painted whole. What was drawn
        // is painted over only when something needs it: bars drawn next set
        // whole rows, which need no background underneath.
        const QRect kept(0, 0, std::min(old, width), m_image.height());
        m_stale = (m_stale | m_touched.intersected(kept)).intersected(kept);
        paintBackground(std::min(old, width), width);
    } else {
        // The picture is copied in when something needs the pixels, so that
        // a clear followed by a new picture copies one, not two.
        m_stale = QRect(0, 0, m_extent, m_image.height());
    }
    m_touched = QRect();
    m_drawn.clear();
    m_plain = blankPicture();
}

void RasterImage::reset(QRgb colour, const QImage& picture)
{
    const auto back = static_cast<uchar>(qGray(colour));
    if (back == m_back && picture.isNull() && m_picture.isNull()) {
        clear(m_extent);
        return;
    }
    // Nothing drawn so far is kept, so nothing is painted until it is needed.
    m_bars.clear();
    m_back = back;
    m_picture = picture;
    m_stale = QRect(0, 0, m_extent, m_image.height());
    m_touched = QRect();
    m_drawn.clear();
    m_plain = blankPicture();
}

void RasterImage::keepAsPicture()
{
    flush();
    // Whether the picture is blank is known without a look at its pixels.
    const bool blank = m_plain && m_touched.isEmpty();
    m_picture =
        m_extent == m_image.width() ? m_image : allocated(m_image.copy(0, 0, m_extent, m_image.height()));
    m_keptKey = m_picture.cacheKey();
    m_keptBack = m_back;
    m_keptBlank = blank;
    m_touched = QRect();
    m_drawn.clear();
    m_plain = blank;
}

QImage RasterImage::shared() const
{
    flush();
    return m_extent == m_image.width() ? m_image : allocated(m_image.copy(0, 0, m_extent, m_image.height()));
}

void RasterImage::settle() const
{
    if (m_stale.isEmpty())
        return;
    const QRect stale = m_stale;
    m_stale = QRect();
    // Without a plain background the whole extent is stale, every row of it.
    // With one, nothing was drawn since the clear, so the rest of the stale
    // rows is paper already (or beyond the extent): whole rows are one fill.
    if (m_plain)
        fillBack(QRect(0, stale.top(), m_image.width(), stale.height()));
    else
        const_cast<RasterImage*>(this)->paintBackground(stale.left(), stale.right() + 1);
}

void RasterImage::fillBack(const QRect& rect) const
{
    if (rect.isEmpty())
        return;
    uchar* bits = writable();
    const qsizetype stride = m_image.bytesPerLine();
    // Whole rows lie end to end: one fill for all of them.
    if (rect.left() == 0 && rect.width() >= m_image.width()) {
        std::memset(bits + rect.top() * stride, m_back, size_t(stride * rect.height()));
        return;
    }
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        std::memset(bits + y * stride + rect.left(), m_back, size_t(rect.width()));
}

void RasterImage::setExtent(int width)
{
    flush();
    if (width > m_extent)
        ensureWidth(width);
    else
        m_extent = width;
}

void RasterImage::ensureWidth(int pixels)
{
    if (pixels <= m_extent)
        return;
    // Grow by half again at least, so drawing a long symbol column by column
    // does not copy the whole image again and again.
    if (pixels > m_image.width())
        reserveWidth(std::max(pixels, m_image.width() + m_image.width() / 2));
    const int old = m_extent;
    m_extent = pixels;
    // Collected columns lie below the old extent, so the new ones are theirs to paint.
    paintBackground(old, pixels);
}

void RasterImage::reserveWidth(int pixels)
{
    const int width = std::max(pixels, m_extent);
    if (width <= m_image.width())
        return;
    QImage grown = blankImage(width, m_image.height());
    const qsizetype rowBytes = qsizetype(m_extent) * (m_image.depth() / 8);
    for (int y = 0; y < m_image.height(); ++y)
        std::memcpy(grown.scanLine(y), m_image.constScanLine(y), size_t(rowBytes));
    m_image = std::move(grown);
}

void RasterImage::columns(int x, int top, int bottom, int count, QRgb colour)
{
    if (x < 0) {
        count += x;
        x = 0;
    }
    if (count <= 0)
        return;
    ensureWidth(x + count);
    const int h = m_image.height();
    top = std::clamp(top, 0, h);
    bottom = std::clamp(bottom, -1, h - 1);
    if (top > bottom)
        return;
    const Column column{x, count, bottom, static_cast<uchar>(qGray(colour))};
    columns(top, std::span<const Column>(&column, 1));
}

void RasterImage::columns(int top, std::span<const Column> columns)
{
    if (columns.empty())
        return;
    // One pass learns whether every column lies wholly inside the image, in
    // the rows below `top`; if so they are collected at once.
    int left = columns.front().x;
    int right = left;
    int bottom = columns.front().bottom;
    int shortest = bottom;
    bool inside = top >= 0;
    bool adjacent = true;
    int next = left;
    for (const Column& column : columns) {
        inside = inside && column.x >= 0 && column.count > 0 && column.bottom >= top;
        adjacent = adjacent && column.x == next;
        next = column.x + column.count;
        left = std::min(left, column.x);
        right = std::max(right, next);
        bottom = std::max(bottom, column.bottom);
        shortest = std::min(shortest, column.bottom);
    }
    if (!inside || bottom >= m_image.height()) {
        for (const Column& column : columns)
            this->columns(column.x, top, column.bottom, column.count, qRgb(column.grey, column.grey, column.grey));
        return;
    }
    ensureWidth(right);
    // Bars of one top are collected whatever their length (the guards of an
    // EAN reach below the others).
    if (!m_bars.empty() && top != m_barTop)
        flush();
    if (m_bars.empty()) {
        m_barTop = top;
        m_barLeft = left;
        m_barRight = right;
        m_barBottom = bottom;
        m_barShortest = shortest;
        m_barsAdjacent = adjacent;
    } else {
        m_barsAdjacent = m_barsAdjacent && adjacent && columns.front().x == m_bars.back().x + m_bars.back().count;
        m_barLeft = std::min(m_barLeft, left);
        m_barRight = std::max(m_barRight, right);
        m_barBottom = std::max(m_barBottom, bottom);
        m_barShortest = std::min(m_barShortest, shortest);
    }
    m_bars.insert(m_bars.end(), columns.begin(), columns.end());
}

void RasterImage::flush() const
{
    if (m_bars.empty()) {
        settle();
        return;
    }
    // The pixels change, not the object as its users see it.
    uchar* bits = writable();
    const QImage& image = m_image;
    const qsizetype stride = image.bytesPerLine();
    const size_t span = size_t(m_barRight - m_barLeft);
    uchar* first = bits + m_barTop * stride + m_barLeft;
    // Every bar covers these rows; the longer ones go on below them.
    const QRect rows(m_barLeft, m_barTop, int(span), m_barShortest - m_barTop + 1);
    // Rows that nothing was drawn on since a plain clear all hold the background.
    const bool uniform = m_plain && !drawnIn(rows);
    touched(rows);
    const auto setBars = [&](uchar* row) {
        for (const Bar& bar : m_bars)
            fillExact(row + bar.x, size_t(bar.count), bar.grey);
    };
    if (uniform) {
        // The first row is made from nothing and copied whole to the rows
        // below, so what is still to be painted over there need not be.
        // Stale means nothing else was drawn since the clear: the rows are
        // paper but for it, so the copy takes in its columns beside the bars,
        // and the rows above and below are filled whole.
        const QRect stale = m_stale;
        m_stale = QRect();
        int left = m_barLeft;
        int right = m_barRight;
        if (!stale.isEmpty()) {
            left = std::max(std::min(left, stale.left()), 0);
            right = std::min(std::max(right, stale.right() + 1), m_image.width());
        }
        uchar* firstRow = bits + m_barTop * stride;
        std::memset(firstRow + left, m_back, size_t(right - left));
        setBars(firstRow);
        for (int y = m_barTop + 1; y <= rows.bottom(); ++y)
            copyExact(bits + y * stride + left, firstRow + left, size_t(right - left));
        if (!stale.isEmpty()) {
            const int width = m_image.width() - 1;
            fillBack(QRect(QPoint(0, stale.top()), QPoint(width, rows.top() - 1)));
            fillBack(QRect(QPoint(0, rows.bottom() + 1), QPoint(width, stale.bottom())));
        }
    } else if (m_barsAdjacent) {
        // Bars side by side from left to right (light modules drawn too)
        // cover every column: each row becomes the first, whatever it held.
        settle();
        setBars(bits + m_barTop * stride);
        for (int y = m_barTop + 1; y <= rows.bottom(); ++y)
            copyExact(bits + y * stride + m_barLeft, first, span);
    } else {
        settle();
        m_firstRow.assign(first, first + span);
        setBars(bits + m_barTop * stride);
        // A row that held what the first row held gets what the first row has
        // now; any other (text, a picture) gets the bars one by one.
        for (int y = m_barTop + 1; y <= rows.bottom(); ++y) {
            uchar* row = bits + y * stride;
            if (std::memcmp(row + m_barLeft, m_firstRow.data(), span) == 0)
                std::memcpy(row + m_barLeft, first, span);
            else
                setBars(row);
        }
    }
    if (m_barBottom > rows.bottom()) {
        // Below the shortest bar only the longer ones go on, in pieces of
        // bars side by side that end on one row; each piece is drawn: a
        // guard's bars leave the digits between them on paper. A piece's
        // first row is set and copied down, and as the bars were taken in
        // order, a later piece still covers an earlier one.
        const int below = rows.bottom() + 1;
        uchar* firstBelow = bits + below * stride;
        // A guard's bars a space apart are marked drawn as one piece, the
        // space with them: fewer pieces for every glyph to be checked against.
        QRect marked;
        for (size_t i = 0; i < m_bars.size();) {
            const Bar& bar = m_bars[i];
            if (bar.bottom < below) {
                ++i;
                continue;
            }
            const int left = bar.x;
            int right = left;
            size_t j = i;
            for (; j < m_bars.size() && m_bars[j].bottom == bar.bottom && m_bars[j].x == right; ++j) {
                fillExact(firstBelow + right, size_t(m_bars[j].count), m_bars[j].grey);
                right += m_bars[j].count;
            }
            const QRect piece(left, below, right - left, bar.bottom - rows.bottom());
            if (!marked.isEmpty() && marked.bottom() == piece.bottom() && piece.left() >= marked.left() &&
                piece.left() <= marked.right() + 2) {
                marked.setRight(std::max(marked.right(), piece.right()));
            } else {
                touched(marked);
                marked = piece;
            }
            for (int y = below + 1; y <= bar.bottom; ++y)
                copyExact(bits + y * stride + left, firstBelow + left, size_t(right - left));
            i = j;
        }
        touched(marked);
    }
    m_bars.clear();
}

void RasterImage::line(QLine line, QRgb colour, int width)
{
    flush();
    const int right = std::max(line.x1(), line.x2()) + width;
    if (right > 0)
        ensureWidth(right);
    // The square caps reach half the pen beyond each end; a pen more is safe.
    touched(QRect(line.p1(), line.p2()).normalized().adjusted(-width, -width, width, width));
    writable();
    QPainter p(&m_image);
    QPen pen(QColor::fromRgb(colour), width);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.drawLine(line);
}

void RasterImage::fillRect(const QRect& rect, const QColor& colour)
{
    flush();
    touched(rect.normalized());
    writable();
    QPainter p(&m_image);
    p.fillRect(rect, colour);
}

namespace {
// row + (fore - row) * a / 255, rounded, in integers: what a pixel becomes
// under ink of grey `fore` that covers `a` of it. Worked out rather than
// looked up: a table of every row and coverage is 64 KB an ink, which a
// busy machine evicts between redraws.
inline uchar blendOne(int row, int a, int fore)
{
    const int t = (fore - row) * a + 128;
    return uchar(row + ((t + (t >> 8)) >> 8));
}
} // namespace

namespace {
// Eight pixels at a time, with blendOne's exact arithmetic split by the sign
// of (fore - row) so that every intermediate fits 16 unsigned bits:
//   ink darker or lighter by d = |fore - row|, p = d * a,
//   up:   (p + 128 + ((p + 128) >> 8)) >> 8
//   down: (p + 127 + ((p + 127) >> 8)) >> 8
// which equal blendOne for every fore, row and coverage (tst_raster checks).
using Bytes8 = std::uint8_t __attribute__((vector_size(8)));
using Words8 = std::uint16_t __attribute__((vector_size(16)));

void blend8(uchar* row, const uchar* cover, Bytes8 keep, Bytes8 fore)
{
    Bytes8 r;
    Bytes8 a;
    std::memcpy(&r, row, 8);
    std::memcpy(&a, cover, 8);
    a &= keep; // lanes past the sprite keep their pixel
    const Bytes8 up = (fore - r) & reinterpret_cast<Bytes8>(fore > r);
    const Bytes8 down = (r - fore) & reinterpret_cast<Bytes8>(r > fore);
    const Words8 a16 = __builtin_convertvector(a, Words8);
    const Words8 p = __builtin_convertvector(up, Words8) * a16 + 128;
    const Words8 n = __builtin_convertvector(down, Words8) * a16 + 127;
    const Words8 result = __builtin_convertvector(r, Words8) + ((p + (p >> 8)) >> 8) - ((n + (n >> 8)) >> 8);
    r = __builtin_convertvector(result, Bytes8);
    std::memcpy(row, &r, 8);
}

// keep[n]: the first n lanes of eight.
constexpr std::array<std::uint64_t, 9> kKeep = {
    0,
    0xFFull,
    0xFFFFull,
    0xFFFFFFull,
    0xFFFFFFFFull,
    0xFFFFFFFFFFull,
    0xFFFFFFFFFFFFull,
    0xFFFFFFFFFFFFFFull,
    ~0ull,
};
} // namespace

void RasterImage::blend(const QImage& coverage, int px, int py, int fore)
{
    if (!coverage.isNull())
        blendRows(coverage.constBits(), coverage.bytesPerLine(), coverage.size(), nullptr, px, py, fore);
}

void RasterImage::makeStamp(const Ink& ink, int fore, uchar paper)
{
    // A label's glyphs land on plain paper but where they touch: blended
    // once over the paper, each is a copy there.
    const QImage& coverage = ink.coverage;
    ink.width = coverage.width();
    ink.height = coverage.height();
    const qsizetype stride = coverage.width() + 8;
    ink.stamp.assign(size_t(stride * coverage.height()), paper);
    ink.padded.assign(size_t(stride * coverage.height()), 0);
    for (int y = 0; y < coverage.height(); ++y) {
        const uchar* cover = coverage.constScanLine(y);
        uchar* row = ink.stamp.data() + y * stride;
        for (int x = 0; x < coverage.width(); ++x)
            row[x] = blendOne(paper, cover[x], fore);
        std::memcpy(ink.padded.data() + y * stride, cover, size_t(coverage.width()));
    }
    ink.stampFore = fore;
    ink.stampPaper = paper;
}

namespace {
// What is left of `rect` once each piece in it is cut away, on the side that
// leaves the most (below, above, right, left: the first of equals).
QRect cutAway(QRect rect, const std::vector<QRect>& pieces)
{
    int left = rect.left();
    int top = rect.top();
    int right = rect.right();
    int bottom = rect.bottom();
    for (const QRect& piece : pieces) {
        if (left > right || top > bottom)
            break;
        if (piece.left() > right || piece.right() < left || piece.top() > bottom || piece.bottom() < top)
            continue;
        const qint64 width = right - left + 1;
        const qint64 height = bottom - top + 1;
        const std::array<qint64, 4> area = {
            std::max(0, bottom - piece.bottom()) * width,
            std::max(0, piece.top() - top) * width,
            std::max(0, right - piece.right()) * height,
            std::max(0, piece.left() - left) * height,
        };
        switch (std::max_element(area.begin(), area.end()) - area.begin()) {
        case 0: top = piece.bottom() + 1; break;
        case 1: bottom = piece.top() - 1; break;
        case 2: left = piece.right() + 1; break;
        default: right = piece.left() - 1; break;
        }
    }
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// A few pixels of a glyph's ink with its top-left at (px, py), one by one:
// the columns beside where it is copied.
inline void blendPixels(uchar* bits, qsizetype stride, int fore, const Ink& ink, int px, int py,
                        const QRect& part)
{
    const qsizetype inkStride = ink.width + 8;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        const uchar* cover = ink.padded.data() + (y - py) * inkStride + (part.left() - px);
        uchar* row = bits + y * stride + part.left();
        for (int x = 0; x < part.width(); ++x)
            row[x] = blendOne(row[x], cover[x], fore);
    }
}
} // namespace

void RasterImage::blendText(const std::vector<Placed>& glyphs, int fore)
{
    flush();
    const QRect bounds(0, 0, m_image.width(), m_image.height());
    QRect box;
    for (const Placed& glyph : glyphs) {
        prepareStamp(*glyph.ink, fore, m_back);
        const QRect area = clipped(QRect(glyph.x, glyph.y, glyph.ink->width, glyph.ink->height), bounds);
        if (!area.isEmpty())
            unite(box, area);
    }
    if (box.isEmpty())
        return;
    // What was drawn in the box: a label's box may reach up into the bars
    // above it, a symbol's digits sit between its guards.
    m_near.clear();
    if (m_plain && drawnIn(box)) {
        if (m_drawn.size() > kMaxPieces)
            m_near.push_back(m_touched);
        else
            for (const QRect& piece : m_drawn)
                if (!piece.isEmpty() && meets(piece, box))
                    m_near.push_back(piece);
    }
    // The part of the box that holds paper alone.
    const QRect clean = m_plain ? cutAway(box, m_near) : QRect();
    uchar* bits = writable();
    const qsizetype stride = m_image.bytesPerLine();
    // Where a glyph meets only paper (and lies right of every glyph set
    // before it) its stamp is what the pixels become; the rest of it is
    // blended: rows above and below as a whole, columns beside pixel by pixel.
    int reach = box.left();
    for (const Placed& glyph : glyphs) {
        const Ink& ink = *glyph.ink;
        const QRect area = clipped(QRect(glyph.x, glyph.y, ink.width, ink.height), bounds);
        if (area.isEmpty())
            continue;
        const qsizetype inkStride = ink.width + 8;
        const auto blendPart = [&](int top, int bottom) {
            if (top > bottom)
                return;
            const qsizetype skip = (top - glyph.y) * inkStride;
            blendRows(ink.padded.data() + skip, inkStride, QSize(ink.width, bottom - top + 1),
                      ink.stamp.data() + skip, glyph.x, top, fore, false);
        };
        const bool inClean = !clean.isEmpty() && within(area, clean);
        QRect copy = !m_plain ? QRect() : inClean ? area : cutAway(area, m_near);
        copy.setLeft(std::max(copy.left(), reach));
        if (copy.isEmpty()) {
            blendPart(area.top(), area.bottom());
        } else {
            blendPart(area.top(), copy.top() - 1);
            if (copy.left() > area.left())
                blendPixels(bits, stride, fore, ink, glyph.x, glyph.y,
                            QRect(QPoint(area.left(), copy.top()), copy.bottomLeft() - QPoint(1, 0)));
            const uchar* stamp = ink.stamp.data() + (copy.left() - glyph.x);
            uchar* to = bits + copy.top() * stride + copy.left();
            const uchar* from = stamp + (copy.top() - glyph.y) * inkStride;
            // Sixteen bytes a row where the stamp's padding (paper) may land on
            // the paper beside the glyph: one load and one store.
            if (inClean && copy.width() <= 16 && copy.left() + 16 <= clean.right() + 1 &&
                (copy.left() - glyph.x) + 16 <= inkStride) {
                for (int y = copy.top(); y <= copy.bottom(); ++y, to += stride, from += inkStride)
                    std::memcpy(to, from, 16);
            } else {
                for (int y = copy.top(); y <= copy.bottom(); ++y, to += stride, from += inkStride)
                    copyExact(to, from, size_t(copy.width()));
            }
            if (copy.right() < area.right())
                blendPixels(bits, stride, fore, ink, glyph.x, glyph.y,
                            QRect(copy.topRight() + QPoint(1, 0), QPoint(area.right(), copy.bottom())));
            blendPart(copy.bottom() + 1, area.bottom());
        }
        reach = std::max(reach, area.right() + 1);
    }
    touched(box);
}

void RasterImage::blendRows(const uchar* coverBits, qsizetype coverStride, QSize size, const uchar* stamp,
                            int px, int py, int fore, bool alone)
{
    if (alone)
        flush();
    // A label is set glyph by glyph: no library calls for the box.
    const int left = std::max(px, 0);
    const int top = std::max(py, 0);
    const int right = std::min(px + size.width(), m_image.width());
    const int bottom = std::min(py + size.height(), m_image.height());
    if (left >= right || top >= bottom)
        return;
    const QRect area(left, top, right - left, bottom - top);
    if (alone)
        touched(area);
    uchar* bits = writable();
    const qsizetype stride = m_image.bytesPerLine();
    const qsizetype stampStride = size.width() + 8;
    Bytes8 fore8;
    std::memset(&fore8, fore, 8);
    Bytes8 paper8;
    std::memset(&paper8, m_back, 8);
    // Eight bytes are read and written wherever both rows hold them; lanes
    // beyond the sprite are written back unchanged. Where all eight are
    // paper, the stamp (padded with paper) holds the result.
    const int firstCover = area.left() - px;
    const int width = area.width();
    const qsizetype room = std::min(coverStride - firstCover, stride - area.left());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* cover = coverBits + (y - py) * coverStride + firstCover;
        const uchar* stampRow = stamp ? stamp + (y - py) * stampStride + firstCover : nullptr;
        uchar* row = bits + y * stride + area.left();
        int x = 0;
        for (; x < width && x + 8 <= room; x += 8) {
            if (stampRow) {
                Bytes8 r;
                std::memcpy(&r, row + x, 8);
                std::uint64_t same;
                const auto equal = (r == paper8);
                std::memcpy(&same, &equal, 8);
                if (same == ~std::uint64_t(0)) {
                    std::memcpy(row + x, stampRow + x, 8);
                    continue;
                }
            }
            Bytes8 keep;
            std::memcpy(&keep, &kKeep[size_t(std::min(8, width - x))], 8);
            blend8(row + x, cover + x, keep, fore8);
        }
        for (; x < width; ++x)
            row[x] = blendOne(row[x], cover[x], fore);
    }
}

} // namespace draw

