#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <variant>
#include <vector>

class QPainter;

namespace draw {

// The colour each recorded colour is drawn in again: export puts the user's
// foreground and background in place of the ink and the paper.
using Recolour = std::function<QColor(QRgb)>;

// What a surface drew, in pixels, so that it can be drawn again at any scale
// and written as SVG. Not a QPicture: replayed into an SVG generator it writes
// every filled rectangle as a path (a fifth more bytes for a short Code 128),
// it would hold each module as its own call rather than one per bar, and the
// pixels are set and blended here, not painted, so they could not come from it.
struct Ops {
    // `count` one-pixel columns side by side from line.x1 (a whole bar in one
    // operation), or one line of any direction and width when count is 1.
    struct Line {
        QLine line;
        QRgb colour;
        int width;
        int count = 1;
    };
    struct Box {
        QRect rect;
        QRgb outline;
        QRgb fill;
        bool filled;
    };
    struct Text {
        QPoint topLeft;
        int index; // into texts: keeps every operation small
    };
    struct TextRun {
        QString text;
        int font; // into fonts: a label of a dozen texts keeps one font
        QRgb colour;
    };
    // A filled polygon (a MaxiCode hexagon): `count` corners from `first` in points.
    struct Polygon {
        int first;
        int count;
        QRgb colour;
    };
    // A filled ellipse (a DotCode dot) or, with a stroke, a ring of that width
    // centred on it (a MaxiCode bullseye). In pixels, fractions kept: these
    // shapes sit between pixels at one pixel a module.
    struct Ellipse {
        float cx;
        float cy;
        float rx;
        float ry;
        float stroke;
        QRgb colour;
    };
    using Op = std::variant<Line, Box, Text, Polygon, Ellipse>;

    std::vector<Op> list;
    std::vector<TextRun> texts;
    std::vector<QFont> fonts;
    std::vector<QPointF> points; // the polygons' corners

    void clear()
    {
        list.clear();
        texts.clear();
        fonts.clear();
        points.clear();
        m_fontSerial = -1;
    }
    // `fontSerial` changes whenever the font does: the font is kept once for
    // all the texts set in it one after another.
    void addText(QPoint topLeft, const QString& text, const QFont& font, qint64 fontSerial, QRgb colour)
    {
        if (fonts.empty() || fontSerial != m_fontSerial) {
            fonts.push_back(font);
            m_fontSerial = fontSerial;
        }
        list.push_back(Text{topLeft, int(texts.size())});
        texts.push_back({text, int(fonts.size()) - 1, colour});
    }
    const QFont& font(const TextRun& text) const { return fonts[size_t(text.font)]; }

  private:
    qint64 m_fontSerial = -1;
};

// A finished picture: the background colour, what it was drawn over (another
// recording or, without one, a plain image) and its operations.
struct Recording {
    QRgb back = 0xFFFFFFFF;
    QSize size;
    std::shared_ptr<const Recording> picture;
    QImage backdrop;
    Ops ops;
};

// Where a replay draws: a painter, or a writer of a file format of its own.
// Colours arrive recoloured; fully transparent ones never arrive.
class ReplayTarget {
  public:
    virtual ~ReplayTarget() = default;
    virtual void fill(const QRect& rect, const QColor& colour) = 0;
    // A line of any direction, square-capped, `width` pixels wide.
    virtual void line(const QLine& line, const QColor& colour, int width) = 0;
    // Text with its top-left corner at `topLeft`; the font's point sizes are
    // meant at 96 dots per inch.
    virtual void text(QPoint topLeft, const QString& text, const QFont& font, const QColor& colour) = 0;
    // A picture placed at the origin, one image pixel a pixel.
    virtual void image(const QImage& image) = 0;
    // A filled polygon, corners in pixels.
    virtual void polygon(std::span<const QPointF> corners, const QColor& colour) = 0;
    // A filled ellipse, or a ring `stroke` pixels wide centred on its outline.
    virtual void ellipse(const QRectF& bounds, double stroke, const QColor& colour) = 0;
};

// The rectangle an ellipse operation covers, its ring included.
QRectF ellipseBounds(const Ops::Ellipse& ellipse);

// Draws the picture underneath (a recording or else the backdrop image), then
// the operations; only what meets `area` is drawn, fully transparent colours
// not at all.
void replayLayers(ReplayTarget& target, const Recording* picture, const QImage& backdrop, const Ops& ops,
                  const QRect& area, const Recolour& recolour);
// The whole recording, its background first.
void replayRecording(ReplayTarget& target, const Recording& recording, const QRect& area,
                     const Recolour& recolour);
void replayRecording(QPainter& painter, const Recording& recording, const QRect& area,
                     const Recolour& recolour);
QColor recoloured(const Recolour& recolour, QRgb colour);

// Replays into a painter: in pixel coordinates, at whatever scale the painter has.
class PainterTarget : public ReplayTarget {
  public:
    explicit PainterTarget(QPainter& painter);
    void fill(const QRect& rect, const QColor& colour) override;
    void line(const QLine& line, const QColor& colour, int width) override;
    void text(QPoint topLeft, const QString& text, const QFont& font, const QColor& colour) override;
    void image(const QImage& image) override;
    void polygon(std::span<const QPointF> corners, const QColor& colour) override;
    void ellipse(const QRectF& bounds, double stroke, const QColor& colour) override;

  private:
    QPainter& m_painter;
};

} // namespace draw
