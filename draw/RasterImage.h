#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

class QPainterPath;

#include <algorithm>
#include <span>
#include <vector>

namespace draw {

// Glyph ink to blend: how much of each pixel it covers (Alpha8) and, kept
// with it, the stamp the raster makes from it.
struct Ink {
    QImage coverage;
    // The pixels the ink makes over plain paper, copied wherever the paper is
    // still plain, and the coverage padded to match. Only the raster reads or
    // writes it: a cache of the coverage for the last ink and paper, which is
    // why a glyph held const may have it made again.
    struct Stamp {
        // Rows of the coverage's width + 8: the stamp padded with the paper,
        // the coverage with nothing, so that eight bytes can be read anywhere.
        std::vector<uchar> pixels;
        std::vector<uchar> padded;
        int fore = -1;
        int paper = -1;
        // The coverage's size, kept here: read for every glyph set.
        int width = 0;
        int height = 0;
    };
    mutable Stamp stamp;
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
        return m_canvas.image;
    }
    int extent() const { return m_extent; }
    int height() const { return m_canvas.image.height(); }
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
    // A shape filled by its own rule, smoothed.
    void fillPath(const QPainterPath& path, QRgb colour);
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
    // What the pixels are painted with where nothing is drawn.
    struct Paper {
        uchar back;
        const QImage& picture;
        // Since the last clear the pixels beyond what was drawn (and what the
        // clear left to paint over) hold `back`: no picture shows.
        bool plain;
    };
    Paper paper() const { return {m_back, m_picture, m_plain}; }

    // Bars from one top, collected and not yet set, with their bounds.
    //   Empty, or: 0 <= top <= shortest <= bottom; every bar is at least a
    //   column wide, lies within [left, right) and ends on a row in
    //   [shortest, bottom], and the bounds are met by some bar; if adjacent,
    //   the first starts at left and each starts where the one before ended.
    class PendingBars {
      public:
        // The bounds of columns to be added, worked out by the caller in the
        // pass that checks them.
        struct Run {
            int left;
            int right;
            int bottom;
            int shortest;
            bool adjacent;
        };
        bool empty() const { return m_bars.empty(); }
        const std::vector<Column>& bars() const { return m_bars; }
        int top() const { return m_top; }
        int left() const { return m_left; }
        int right() const { return m_right; }
        int bottom() const { return m_bottom; }
        int shortest() const { return m_shortest; }
        bool adjacent() const { return m_adjacent; }
        // Every column from `top` down, none above it.
        void add(int top, std::span<const Column> columns, const Run& run);
        void clear() { m_bars.clear(); }
        void check() const;

      private:
        std::vector<Column> m_bars;
        int m_top = 0;
        int m_left = 0;
        int m_right = 0;
        int m_bottom = 0;   // of the longest bar
        int m_shortest = 0; // bottom of the shortest
        bool m_adjacent = true;
    };

    // What was drawn since the last clear: its bounding box, and piece by
    // piece while there are few pieces (bars, glyphs), so that a glyph set
    // beside what is drawn is known to land on paper.
    //   No pieces exactly when the box is empty. Either the pieces are exact
    //   (none empty, their bounding box is the box), or there are
    //   kMaxPieces + 1 of them, the last empty to mark that only the box
    //   counts.
    class DrawnPieces {
      public:
        static constexpr size_t kMaxPieces = 48;
        void add(const QRect& rect);
        // Whether anything drawn may lie in `rect`.
        bool meets(const QRect& rect) const;
        bool empty() const { return m_box.isEmpty(); }
        const QRect& box() const { return m_box; }
        bool exact() const { return m_pieces.size() <= kMaxPieces; }
        const std::vector<QRect>& pieces() const { return m_pieces; }
        void clear()
        {
            m_box = QRect();
            m_pieces.clear();
        }
        void check() const;

      private:
        QRect m_box;
        std::vector<QRect> m_pieces;
    };

    // The pixels and the work on them put off: what they show is fixed by
    // the calls made so far, and a look at them (image(), copy(), shared())
    // does that work, which changes how they are held, never what they show.
    // So the canvas alone is mutable, and flush() is all a const look calls.
    //   The image is at least extent wide; columns beyond the extent are
    //   undefined. The bars lie within the extent and the image's rows.
    //   `stale` (drawn on before the last clear and not yet painted over:
    //   background as far as anyone can see, since all that touches the
    //   pixels paints it first but bars, which set whole rows) lies within
    //   the extent, and while it is not empty nothing was drawn since the
    //   clear; without a plain paper it is whole columns, every row.
    //   With a plain paper every pixel of the extent outside `stale` and the
    //   pieces drawn holds the background: the bars' rows are then copied
    //   whole and glyphs copied from their stamps (checked where they are).
    struct Canvas {
        QImage image;
        PendingBars bars;
        QRect stale;
        DrawnPieces drawn;
        std::vector<uchar> firstRow; // the bars' first row as it was, while they are set

        // The pixels to write to, unshared first. Throws std::bad_alloc, as
        // does every image allocation here, rather than leave a null image
        // to write to.
        uchar* writable();
        // Sets the bars and paints the background over what is stale.
        void flush(const Paper& paper);
        // Paints the background over what is stale.
        void settle(const Paper& paper);
        void paint(const Paper& paper, int fromX, int toX);
        void fillBack(const QRect& rect, uchar back);
        // Whether every pixel of `rect` outside `except` holds `back`.
        bool paperIn(const QRect& rect, uchar back, const QRect& except = QRect()) const;
        void check(const Paper& paper, int extent) const;
    };

    static void prepareStamp(const Ink& ink, int fore, uchar paper)
    {
        if (ink.stamp.fore != fore || ink.stamp.paper != paper)
            makeStamp(ink, fore, paper);
    }
    static void makeStamp(const Ink& ink, int fore, uchar paper);
    void flush() const
    {
        m_canvas.flush(paper());
        check();
    }
#ifdef NDEBUG
    void check() const {}
#else
    void check() const
    {
        m_canvas.check(paper(), m_extent);
    }
#endif
    // Inside a text, whose box is marked drawn once, `alone` is false.
    void blendRows(const uchar* coverBits, qsizetype coverStride, QSize size, const uchar* stamp, int px,
                   int py, int fore, bool alone = true);
    // Whether the picture shows the background alone, kept for the picture
    // it was found for and for the one kept by keepAsPicture.
    bool blankPicture();

    mutable Canvas m_canvas;
    int m_extent = 0;
    uchar m_back = 255;
    QImage m_picture;
    bool m_plain = true;
    qint64 m_blankKey = 0;
    uchar m_blankBack = 0;
    bool m_blank = false;
    qint64 m_keptKey = 0;
    uchar m_keptBack = 0;
    bool m_keptBlank = false;
    // The pieces drawn that meet a text's box.
    std::vector<QRect> m_near;
};

} // namespace draw
