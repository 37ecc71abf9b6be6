#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <span>
#include <vector>

namespace draw {

// Glyph ink to blend: how much of each pixel it covers (Alpha8) and, kept
// with it by the raster that sets it, the pixels it makes over plain
// background, which are copied wherever the background is still plain.
struct Ink {
    QImage coverage;
    // Rows of the coverage's width + 8: the stamp padded with the paper, the
    // coverage with nothing, so that eight bytes can be read anywhere.
    mutable std::vector<uchar> stamp;
    mutable std::vector<uchar> padded;
    mutable int stampFore = -1;
    mutable int stampPaper = -1;
    // The coverage's size, kept with the stamp: read for every glyph set.
    mutable int width = 0;
    mutable int height = 0;
};

// The pixels of a surface: one byte a pixel, as wide as the drawing needs
// (it grows on demand), over a background grey and an optional picture.
// An image that cannot be allocated throws std::bad_alloc and leaves the
// pixels as they were.
//
// One-pixel columns (the bars) are collected while they share their rows and
// set when anything else looks at or touches the pixels: then the first row
// is set and copied to the rows below, which costs a copy per row instead of
// a store per pixel.
class RasterImage {
  public:
    explicit RasterImage(QSize size);

    // What is drawn over; painted by clear() and on growth.
    void setBackground(QRgb colour, const QImage& picture);
    const QImage& picture() const { return m_picture; }

    // The pixels; only the first extent() columns are meaningful.
    const QImage& image() const
    {
        flush();
        return m_image;
    }
    int extent() const { return m_extent; }
    int height() const { return m_image.height(); }
    QImage copy() const;

    // Background over the first `width` columns, which become the extent.
    void clear(int width);
    // A new background and picture, then a clear of the extent: nothing
    // drawn before is kept.
    void reset(QRgb colour, const QImage& picture);
    // What the image shows becomes the picture, without a copy while neither
    // changes.
    void keepAsPicture();
    // The meaningful pixels, shared with the image where they are all of it.
    QImage shared() const;
    // The extent becomes `width`: narrower crops, wider shows background.
    void setExtent(int width);
    // Grows the extent to at least `pixels`, painting the new columns.
    void ensureWidth(int pixels);
    // Room for `pixels` columns without a later copy.
    void reserveWidth(int pixels);

    // `count` one-pixel columns from x, rows top..bottom inclusive.
    void columns(int x, int top, int bottom, int count, QRgb colour);
    // Columns of one grey, `count` wide from x, rows top..bottom inclusive.
    struct Column {
        int x;
        int count;
        int bottom;
        uchar grey;
    };
    // Many columns from one top, as columns() takes them one by one: a
    // symbol's bars in one call.
    void columns(int top, std::span<const Column> columns);
    // Any other line, with a square-capped pen of `width` pixels.
    void line(QLine line, QRgb colour, int width);
    void fillRect(const QRect& rect, const QColor& colour);
    // Ink of grey `fore` blended in by how much of each pixel `coverage`
    // (Alpha8) covers, its top-left at (px, py).
    void blend(const QImage& coverage, int px, int py, int fore);
    // A text's glyphs, each ink with its top-left corner, in the order set.
    struct Placed {
        const Ink* ink;
        int x;
        int y;
    };
    // Blends them all as blend() would one by one. Over plain paper, a glyph
    // that meets none set before it is copied from its stamp.
    void blendText(const std::vector<Placed>& glyphs, int fore);

  private:
    using Bar = Column;
    static void prepareStamp(const Ink& ink, int fore, uchar paper)
    {
        if (ink.stampFore != fore || ink.stampPaper != paper)
            makeStamp(ink, fore, paper);
    }
    static void makeStamp(const Ink& ink, int fore, uchar paper);
    void flush() const;
    // The pixels to write to, unshared first. Throws std::bad_alloc, as does
    // every image allocation here, rather than leave a null image to write to.
    uchar* writable() const;
    // Paints the background over what is still marked to be painted over.
    void settle() const;
    void fillBack(const QRect& rect) const;
    // Inside a text, whose box is marked drawn once, `alone` is false.
    void blendRows(const uchar* coverBits, qsizetype coverStride, QSize size, const uchar* stamp, int px,
                   int py, int fore, bool alone = true);
    void paintBackground(int fromX, int toX);
    void touched(const QRect& rect) const;
    // Whether anything drawn since the last clear may lie in `rect`.
    bool drawnIn(const QRect& rect) const;
    // The pieces drawn that meet a text's box.
    mutable std::vector<QRect> m_near;

    QImage m_image; // capacity may exceed m_extent; columns beyond it are undefined
    int m_extent = 0;
    uchar m_back = 255;
    QImage m_picture;
    // What was drawn since the last clear. Without a picture, every other
    // pixel up to the extent is plain background: a clear repaints only this,
    // and bars over untouched rows need no comparison of the rows.
    mutable QRect m_touched;
    // The same, piece by piece while there are few pieces (bars, glyphs), so
    // that a glyph set beside what is drawn is known to land on paper.
    mutable std::vector<QRect> m_drawn;
    static constexpr size_t kMaxPieces = 48;
    // Whether the picture shows the background alone, kept for the picture
    // it was found for and for the one kept by keepAsPicture.
    bool blankPicture() const;
    mutable qint64 m_blankKey = 0;
    mutable uchar m_blankBack = 0;
    mutable bool m_blank = false;
    qint64 m_keptKey = 0;
    uchar m_keptBack = 0;
    bool m_keptBlank = false;
    bool m_plain = true;
    // Drawn on before the last clear and not yet painted over: background as
    // far as anyone can see, since everything that looks at or touches the
    // pixels paints it first (flush), except bars, which set whole rows.
    mutable QRect m_stale;
    // Columns not yet set, all from m_barTop down.
    mutable std::vector<Bar> m_bars;
    mutable std::vector<uchar> m_firstRow;
    int m_barTop = 0;
    int m_barBottom = 0;        // of the longest bar
    int m_barShortest = 0;      // bottom of the shortest
    bool m_barsAdjacent = true; // each from where the one before ended
    int m_barLeft = 0;
    int m_barRight = 0;
};

} // namespace draw
