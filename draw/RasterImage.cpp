#include "draw/RasterImage.h"

#include <QPainter>
#include <QPainterPath>

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

bool RasterImage::blankPicture()
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

void RasterImage::DrawnPieces::add(const QRect& rect)
{
    if (rect.isEmpty())
        return;
    unite(m_box, rect);
    // Beyond a few pieces, the bounding rectangle alone.
    if (!exact())
        return;
    if (!m_pieces.empty() && within(rect, m_pieces.back()))
        return;
    // A text's box takes the place of the glyph pieces blended inside it.
    while (!m_pieces.empty() && within(m_pieces.back(), rect))
        m_pieces.pop_back();
    if (m_pieces.size() < kMaxPieces)
        m_pieces.push_back(rect);
    else
        m_pieces.push_back(QRect()); // marks the list as incomplete
}

bool RasterImage::DrawnPieces::meets(const QRect& rect) const
{
    if (rect.isEmpty() || m_box.isEmpty() || !draw::meets(m_box, rect))
        return false;
    if (!exact())
        return true;
    return std::any_of(m_pieces.begin(), m_pieces.end(),
                       [&rect](const QRect& piece) { return draw::meets(piece, rect); });
}

void RasterImage::DrawnPieces::check() const
{
    Q_ASSERT(m_pieces.empty() == m_box.isEmpty());
    Q_ASSERT(m_pieces.size() <= kMaxPieces + 1);
    QRect bounds;
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        const QRect& piece = m_pieces[i];
        if (i == kMaxPieces) {
            Q_ASSERT(piece.isEmpty());
            break;
        }
        Q_ASSERT(!piece.isEmpty());
        unite(bounds, piece);
    }
    Q_ASSERT(exact() ? bounds == m_box : within(bounds, m_box));
}

void RasterImage::PendingBars::add(int top, std::span<const Column> columns, const Run& run)
{
    Q_ASSERT(!columns.empty() && top >= 0 && run.left < run.right && top <= run.shortest &&
             run.shortest <= run.bottom);
    if (m_bars.empty()) {
        m_top = top;
        m_left = run.left;
        m_right = run.right;
        m_bottom = run.bottom;
        m_shortest = run.shortest;
        m_adjacent = run.adjacent;
    } else {
        Q_ASSERT(top == m_top);
        m_adjacent = m_adjacent && run.adjacent && columns.front().x == m_bars.back().x + m_bars.back().count;
        m_left = std::min(m_left, run.left);
        m_right = std::max(m_right, run.right);
        m_bottom = std::max(m_bottom, run.bottom);
        m_shortest = std::min(m_shortest, run.shortest);
    }
    m_bars.insert(m_bars.end(), columns.begin(), columns.end());
}

void RasterImage::PendingBars::check() const
{
    if (m_bars.empty())
        return;
    Q_ASSERT(0 <= m_top && m_top <= m_shortest && m_shortest <= m_bottom && m_left < m_right);
    int left = m_bars.front().x;
    int right = left;
    int bottom = m_bars.front().bottom;
    int shortest = bottom;
    int next = left;
    for (const Column& bar : m_bars) {
        Q_ASSERT(bar.count > 0);
        Q_ASSERT(!m_adjacent || bar.x == next);
        next = bar.x + bar.count;
        left = std::min(left, bar.x);
        right = std::max(right, next);
        bottom = std::max(bottom, bar.bottom);
        shortest = std::min(shortest, bar.bottom);
    }
    Q_ASSERT(left == m_left && right == m_right && bottom == m_bottom && shortest == m_shortest);
    Q_ASSERT(!m_adjacent || m_bars.front().x == m_left);
}

uchar* RasterImage::Canvas::writable()
{
    // Shared with a picture or an image handed out, the pixels are copied
    // before a write; a copy that cannot be allocated would leave a null
    // image, so it is made here, where a failure leaves the old one.
    if (!image.isDetached())
        image = allocated(image.copy());
    return image.bits();
}

bool RasterImage::Canvas::paperIn(const QRect& rect, uchar back, const QRect& except) const
{
    const QRect area = clipped(rect, image.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            if (row[x] != back && !except.contains(x, y))
                return false;
    }
    return true;
}

void RasterImage::Canvas::check(const Paper& paper, int extent) const
{
    Q_ASSERT(!image.isNull() && extent <= image.width());
    drawn.check();
    // The full pass over the bars is left to flush(), which reads them all anyway.
    if (!bars.empty())
        Q_ASSERT(bars.left() >= 0 && bars.right() <= extent && bars.bottom() < image.height());
    if (!stale.isEmpty()) {
        Q_ASSERT(within(stale, QRect(0, 0, extent, image.height())));
        Q_ASSERT(drawn.empty());
        Q_ASSERT(paper.plain ||
                 (stale.left() == 0 && stale.top() == 0 && stale.bottom() == image.height() - 1));
    }
}

RasterImage::RasterImage(QSize size)
{
    m_canvas.image = blankImage(size.width(), size.height());
    m_extent = m_canvas.image.width();
    m_canvas.paint(paper(), 0, m_extent);
    check();
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
    check();
}

QImage RasterImage::copy() const
{
    flush();
    return allocated(m_canvas.image.copy(0, 0, m_extent, m_canvas.image.height()));
}

void RasterImage::Canvas::paint(const Paper& paper, int fromX, int toX)
{
    if (toX <= fromX)
        return;
    // Plain rows, no painter: this runs whenever the image grows.
    uchar* bits = writable();
    const qsizetype stride = image.bytesPerLine();
    const int height = image.height();
    const QImage& picture = paper.picture;
    if (!picture.isNull() && fromX < picture.width() && picture.format() == QImage::Format_Grayscale8) {
        // A picture taken from a surface has the image's own format: its rows
        // are the pixels, no painter needed, and no background under them.
        const int to = std::min(toX, picture.width());
        const int pictureRows = std::min(height, picture.height());
        for (int y = 0; y < height; ++y) {
            uchar* row = bits + y * stride;
            if (y < pictureRows) {
                std::memcpy(row + fromX, picture.constScanLine(y) + fromX, size_t(to - fromX));
                std::memset(row + to, paper.back, size_t(toX - to));
            } else {
                std::memset(row + fromX, paper.back, size_t(toX - fromX));
            }
        }
        return;
    }
    for (int y = 0; y < height; ++y)
        std::memset(bits + y * stride + fromX, paper.back, size_t(toX - fromX));
    if (!picture.isNull() && fromX < picture.width()) {
        QPainter p(&image);
        p.setClipRect(QRect(fromX, 0, toX - fromX, image.height()));
        p.drawImage(0, 0, picture);
    }
}

void RasterImage::clear(int width)
{
    Canvas& canvas = m_canvas;
    // What was drawn is painted over only when something needs it: bars drawn
    // next set whole rows, which need no background underneath. Bars not yet
    // set need not be: their rows only have to become background.
    QRect gone = canvas.drawn.box();
    if (!canvas.bars.empty()) {
        const PendingBars& bars = canvas.bars;
        unite(gone, QRect(QPoint(bars.left(), bars.top()), QPoint(bars.right() - 1, bars.bottom())));
        canvas.bars.clear();
    }
    canvas.drawn.clear();
    const int old = m_extent;
    if (width > canvas.image.width())
        ensureWidth(width);
    m_extent = width;
    if (m_plain) {
        // Columns up to the old extent are background but for what was drawn;
        // those beyond it are not kept and are painted whole.
        const QRect kept(0, 0, std::min(old, width), canvas.image.height());
        canvas.stale = (canvas.stale | gone.intersected(kept)).intersected(kept);
        canvas.paint(paper(), std::min(old, width), width);
    } else {
        // The picture is copied in when something needs the pixels, so that
        // a clear followed by a new picture copies one, not two.
        canvas.stale = QRect(0, 0, m_extent, canvas.image.height());
    }
    m_plain = blankPicture();
    check();
}

void RasterImage::reset(QRgb colour, const QImage& picture)
{
    const auto back = static_cast<uchar>(qGray(colour));
    if (back == m_back && picture.isNull() && m_picture.isNull()) {
        clear(m_extent);
        return;
    }
    // Nothing drawn so far is kept, so nothing is painted until it is needed.
    m_canvas.bars.clear();
    m_back = back;
    m_picture = picture;
    m_canvas.stale = QRect(0, 0, m_extent, m_canvas.image.height());
    m_canvas.drawn.clear();
    m_plain = blankPicture();
    check();
}

void RasterImage::keepAsPicture()
{
    flush();
    const QImage& image = m_canvas.image;
    // Whether the picture is blank is known without a look at its pixels.
    const bool blank = m_plain && m_canvas.drawn.empty();
    m_picture = m_extent == image.width() ? image : allocated(image.copy(0, 0, m_extent, image.height()));
    m_keptKey = m_picture.cacheKey();
    m_keptBack = m_back;
    m_keptBlank = blank;
    m_canvas.drawn.clear();
    m_plain = blank;
    check();
}

QImage RasterImage::shared() const
{
    flush();
    const QImage& image = m_canvas.image;
    return m_extent == image.width() ? image : allocated(image.copy(0, 0, m_extent, image.height()));
}

void RasterImage::Canvas::settle(const Paper& paper)
{
    if (stale.isEmpty())
        return;
    const QRect painted = stale;
    stale = QRect();
    // Without a plain background the whole extent is stale, every row of it.
    // With one, nothing was drawn since the clear, so the rest of the stale
    // rows is paper already (or beyond the extent): whole rows are one fill.
    if (paper.plain)
        fillBack(QRect(0, painted.top(), image.width(), painted.height()), paper.back);
    else
        paint(paper, painted.left(), painted.right() + 1);
}

void RasterImage::Canvas::fillBack(const QRect& rect, uchar back)
{
    if (rect.isEmpty())
        return;
    uchar* bits = writable();
    const qsizetype stride = image.bytesPerLine();
    // Whole rows lie end to end: one fill for all of them.
    if (rect.left() == 0 && rect.width() >= image.width()) {
        std::memset(bits + rect.top() * stride, back, size_t(stride * rect.height()));
        return;
    }
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        std::memset(bits + y * stride + rect.left(), back, size_t(rect.width()));
}

void RasterImage::setExtent(int width)
{
    flush();
    if (width > m_extent)
        ensureWidth(width);
    else
        m_extent = width;
    check();
}

void RasterImage::ensureWidth(int pixels)
{
    if (pixels <= m_extent)
        return;
    // Grow by half again at least, so drawing a long symbol column by column
    // does not copy the whole image again and again.
    const int capacity = m_canvas.image.width();
    if (pixels > capacity)
        reserveWidth(std::max(pixels, capacity + capacity / 2));
    const int old = m_extent;
    m_extent = pixels;
    // Collected columns lie below the old extent, so the new ones are theirs to paint.
    m_canvas.paint(paper(), old, pixels);
    check();
}

void RasterImage::reserveWidth(int pixels)
{
    QImage& image = m_canvas.image;
    const int width = std::max(pixels, m_extent);
    if (width <= image.width())
        return;
    QImage grown = blankImage(width, image.height());
    const qsizetype rowBytes = qsizetype(m_extent) * (image.depth() / 8);
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(grown.scanLine(y), image.constScanLine(y), size_t(rowBytes));
    image = std::move(grown);
    check();
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
    const int h = m_canvas.image.height();
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
    PendingBars::Run run{columns.front().x, columns.front().x, columns.front().bottom, columns.front().bottom,
                         true};
    bool inside = top >= 0;
    int next = run.left;
    for (const Column& column : columns) {
        inside = inside && column.x >= 0 && column.count > 0 && column.bottom >= top;
        run.adjacent = run.adjacent && column.x == next;
        next = column.x + column.count;
        run.left = std::min(run.left, column.x);
        run.right = std::max(run.right, next);
        run.bottom = std::max(run.bottom, column.bottom);
        run.shortest = std::min(run.shortest, column.bottom);
    }
    if (!inside || run.bottom >= m_canvas.image.height()) {
        for (const Column& column : columns)
            this->columns(column.x, top, column.bottom, column.count,
                          qRgb(column.grey, column.grey, column.grey));
        return;
    }
    ensureWidth(run.right);
    // Bars of one top are collected whatever their length (the guards of an
    // EAN reach below the others).
    if (!m_canvas.bars.empty() && top != m_canvas.bars.top())
        flush();
    m_canvas.bars.add(top, columns, run);
    check();
}

void RasterImage::Canvas::flush(const Paper& paper)
{
    if (bars.empty()) {
        settle(paper);
        return;
    }
#ifndef NDEBUG
    bars.check();
#endif
    uchar* bits = writable();
    const qsizetype stride = image.bytesPerLine();
    const int barTop = bars.top();
    const int barLeft = bars.left();
    const size_t span = size_t(bars.right() - barLeft);
    uchar* first = bits + barTop * stride + barLeft;
    // Every bar covers these rows; the longer ones go on below them.
    const QRect rows(barLeft, barTop, int(span), bars.shortest() - barTop + 1);
    // Rows that nothing was drawn on since a plain clear all hold the background.
    const bool uniform = paper.plain && !drawn.meets(rows);
    drawn.add(rows);
    const auto setBars = [this](uchar* row) {
        for (const Column& bar : bars.bars())
            fillExact(row + bar.x, size_t(bar.count), bar.grey);
    };
    if (uniform) {
        // The first row is made from nothing and copied whole to the rows
        // below, so what is still to be painted over there need not be.
        // Stale means nothing else was drawn since the clear: the rows are
        // paper but for it, so the copy takes in its columns beside the bars,
        // and the rows above and below are filled whole.
        const QRect painted = stale;
        stale = QRect();
        int left = barLeft;
        int right = bars.right();
        if (!painted.isEmpty()) {
            left = std::max(std::min(left, painted.left()), 0);
            right = std::min(std::max(right, painted.right() + 1), image.width());
        }
        Q_ASSERT(paperIn(QRect(QPoint(left, barTop), QPoint(right - 1, rows.bottom())), paper.back, painted));
        uchar* firstRow = bits + barTop * stride;
        std::memset(firstRow + left, paper.back, size_t(right - left));
        setBars(firstRow);
        for (int y = barTop + 1; y <= rows.bottom(); ++y)
            copyExact(bits + y * stride + left, firstRow + left, size_t(right - left));
        if (!painted.isEmpty()) {
            const int width = image.width() - 1;
            fillBack(QRect(QPoint(0, painted.top()), QPoint(width, rows.top() - 1)), paper.back);
            fillBack(QRect(QPoint(0, rows.bottom() + 1), QPoint(width, painted.bottom())), paper.back);
        }
    } else if (bars.adjacent()) {
        // Bars side by side from left to right (light modules drawn too)
        // cover every column: each row becomes the first, whatever it held.
        settle(paper);
        setBars(bits + barTop * stride);
        for (int y = barTop + 1; y <= rows.bottom(); ++y)
            copyExact(bits + y * stride + barLeft, first, span);
    } else {
        settle(paper);
        firstRow.assign(first, first + span);
        setBars(bits + barTop * stride);
        // A row that held what the first row held gets what the first row has
        // now; any other (text, a picture) gets the bars one by one.
        for (int y = barTop + 1; y <= rows.bottom(); ++y) {
            uchar* row = bits + y * stride;
            if (std::memcmp(row + barLeft, firstRow.data(), span) == 0)
                std::memcpy(row + barLeft, first, span);
            else
                setBars(row);
        }
    }
    if (bars.bottom() > rows.bottom()) {
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
        const std::vector<Column>& all = bars.bars();
        for (size_t i = 0; i < all.size();) {
            const Column& bar = all[i];
            if (bar.bottom < below) {
                ++i;
                continue;
            }
            const int left = bar.x;
            int right = left;
            size_t j = i;
            for (; j < all.size() && all[j].bottom == bar.bottom && all[j].x == right; ++j) {
                fillExact(firstBelow + right, size_t(all[j].count), all[j].grey);
                right += all[j].count;
            }
            const QRect piece(left, below, right - left, bar.bottom - rows.bottom());
            if (!marked.isEmpty() && marked.bottom() == piece.bottom() && piece.left() >= marked.left() &&
                piece.left() <= marked.right() + 2) {
                marked.setRight(std::max(marked.right(), piece.right()));
            } else {
                drawn.add(marked);
                marked = piece;
            }
            for (int y = below + 1; y <= bar.bottom; ++y)
                copyExact(bits + y * stride + left, firstBelow + left, size_t(right - left));
            i = j;
        }
        drawn.add(marked);
    }
    bars.clear();
}

void RasterImage::line(QLine line, QRgb colour, int width)
{
    flush();
    const int right = std::max(line.x1(), line.x2()) + width;
    if (right > 0)
        ensureWidth(right);
    // The square caps reach half the pen beyond each end; a pen more is safe.
    m_canvas.drawn.add(QRect(line.p1(), line.p2()).normalized().adjusted(-width, -width, width, width));
    m_canvas.writable();
    QPainter p(&m_canvas.image);
    QPen pen(QColor::fromRgb(colour), width);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.drawLine(line);
    check();
}

void RasterImage::fillRect(const QRect& rect, const QColor& colour)
{
    flush();
    m_canvas.drawn.add(rect.normalized());
    m_canvas.writable();
    QPainter p(&m_canvas.image);
    p.fillRect(rect, colour);
    check();
}

void RasterImage::fillPath(const QPainterPath& path, QRgb colour)
{
    flush();
    const QRect bounds = path.boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
    if (bounds.right() > 0)
        ensureWidth(bounds.right() + 1);
    m_canvas.drawn.add(bounds);
    m_canvas.writable();
    QPainter p(&m_canvas.image);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillPath(path, QColor::fromRgb(colour));
    check();
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
    check();
}

void RasterImage::makeStamp(const Ink& ink, int fore, uchar paper)
{
    // A label's glyphs land on plain paper but where they touch: blended
    // once over the paper, each is a copy there.
    const QImage& coverage = ink.coverage;
    Ink::Stamp& stamp = ink.stamp;
    stamp.width = coverage.width();
    stamp.height = coverage.height();
    const qsizetype stride = coverage.width() + 8;
    stamp.pixels.assign(size_t(stride * coverage.height()), paper);
    stamp.padded.assign(size_t(stride * coverage.height()), 0);
    for (int y = 0; y < coverage.height(); ++y) {
        const uchar* cover = coverage.constScanLine(y);
        uchar* row = stamp.pixels.data() + y * stride;
        for (int x = 0; x < coverage.width(); ++x)
            row[x] = blendOne(paper, cover[x], fore);
        std::memcpy(stamp.padded.data() + y * stride, cover, size_t(coverage.width()));
    }
    stamp.fore = fore;
    stamp.paper = paper;
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
    const qsizetype inkStride = ink.stamp.width + 8;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        const uchar* cover = ink.stamp.padded.data() + (y - py) * inkStride + (part.left() - px);
        uchar* row = bits + y * stride + part.left();
        for (int x = 0; x < part.width(); ++x)
            row[x] = blendOne(row[x], cover[x], fore);
    }
}
} // namespace

void RasterImage::blendText(const std::vector<Placed>& glyphs, int fore)
{
    flush();
    Canvas& canvas = m_canvas;
    const QRect bounds = canvas.image.rect();
    QRect box;
    for (const Placed& glyph : glyphs) {
        prepareStamp(*glyph.ink, fore, m_back);
        const QRect area =
            clipped(QRect(glyph.x, glyph.y, glyph.ink->stamp.width, glyph.ink->stamp.height), bounds);
        if (!area.isEmpty())
            unite(box, area);
    }
    if (box.isEmpty())
        return;
    // What was drawn in the box: a label's box may reach up into the bars
    // above it, a symbol's digits sit between its guards.
    m_near.clear();
    if (m_plain && canvas.drawn.meets(box)) {
        if (!canvas.drawn.exact())
            m_near.push_back(canvas.drawn.box());
        else
            for (const QRect& piece : canvas.drawn.pieces())
                if (!piece.isEmpty() && meets(piece, box))
                    m_near.push_back(piece);
    }
    // The part of the box that holds paper alone.
    const QRect clean = m_plain ? cutAway(box, m_near) : QRect();
    uchar* bits = canvas.writable();
    const qsizetype stride = canvas.image.bytesPerLine();
    // Where a glyph meets only paper (and lies right of every glyph set
    // before it) its stamp is what the pixels become; the rest of it is
    // blended: rows above and below as a whole, columns beside pixel by pixel.
    int reach = box.left();
    for (const Placed& glyph : glyphs) {
        const Ink::Stamp& ink = glyph.ink->stamp;
        const QRect area = clipped(QRect(glyph.x, glyph.y, ink.width, ink.height), bounds);
        if (area.isEmpty())
            continue;
        const qsizetype inkStride = ink.width + 8;
        const auto blendPart = [&](int top, int bottom) {
            if (top > bottom)
                return;
            const qsizetype skip = (top - glyph.y) * inkStride;
            blendRows(ink.padded.data() + skip, inkStride, QSize(ink.width, bottom - top + 1),
                      ink.pixels.data() + skip, glyph.x, top, fore, false);
        };
        const bool inClean = !clean.isEmpty() && within(area, clean);
        QRect copy = !m_plain ? QRect() : inClean ? area : cutAway(area, m_near);
        copy.setLeft(std::max(copy.left(), reach));
        if (copy.isEmpty()) {
            blendPart(area.top(), area.bottom());
        } else {
            blendPart(area.top(), copy.top() - 1);
            if (copy.left() > area.left())
                blendPixels(bits, stride, fore, *glyph.ink, glyph.x, glyph.y,
                            QRect(QPoint(area.left(), copy.top()), copy.bottomLeft() - QPoint(1, 0)));
            const uchar* stamp = ink.pixels.data() + (copy.left() - glyph.x);
            uchar* to = bits + copy.top() * stride + copy.left();
            const uchar* from = stamp + (copy.top() - glyph.y) * inkStride;
            // Sixteen bytes a row where the stamp's padding (paper) may land on
            // the paper beside the glyph: one load and one store.
            const bool wide = inClean && copy.width() <= 16 && copy.left() + 16 <= clean.right() + 1 &&
                              (copy.left() - glyph.x) + 16 <= inkStride;
#ifndef NDEBUG
            // Copied over what the pieces drawn say is paper, which it must be
            // within the extent (columns beyond it are painted when it grows).
            const QRect written = wide ? QRect(copy.topLeft(), QSize(16, copy.height())) : copy;
            Q_ASSERT(canvas.paperIn(written.intersected(QRect(0, 0, m_extent, bounds.height())), m_back));
#endif
            if (wide) {
                for (int y = copy.top(); y <= copy.bottom(); ++y, to += stride, from += inkStride)
                    std::memcpy(to, from, 16);
            } else {
                for (int y = copy.top(); y <= copy.bottom(); ++y, to += stride, from += inkStride)
                    copyExact(to, from, size_t(copy.width()));
            }
            if (copy.right() < area.right())
                blendPixels(bits, stride, fore, *glyph.ink, glyph.x, glyph.y,
                            QRect(copy.topRight() + QPoint(1, 0), QPoint(area.right(), copy.bottom())));
            blendPart(copy.bottom() + 1, area.bottom());
        }
        reach = std::max(reach, area.right() + 1);
    }
    canvas.drawn.add(box);
    check();
}

void RasterImage::blendRows(const uchar* coverBits, qsizetype coverStride, QSize size, const uchar* stamp,
                            int px, int py, int fore, bool alone)
{
    if (alone)
        flush();
    // A label is set glyph by glyph: no library calls for the box.
    const int left = std::max(px, 0);
    const int top = std::max(py, 0);
    const int right = std::min(px + size.width(), m_canvas.image.width());
    const int bottom = std::min(py + size.height(), m_canvas.image.height());
    if (left >= right || top >= bottom)
        return;
    const QRect area(left, top, right - left, bottom - top);
    if (alone)
        m_canvas.drawn.add(area);
    uchar* bits = m_canvas.writable();
    const qsizetype stride = m_canvas.image.bytesPerLine();
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
