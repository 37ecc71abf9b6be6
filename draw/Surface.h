#pragma once

#include "draw/Colour.h"
#include "draw/Geometry.h"
#include "draw/GlyphCache.h"
#include "draw/RasterImage.h"
#include "draw/Recording.h"

#include <QFont>
#include <QHash>
#include <QImage>
#include <QLine>
#include <QObject>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <span>
#include <variant>
#include <vector>

class QPainter;

namespace draw {

// A picture area as the renderers see it: a persistent image drawn in the
// surface's own units, and the properties that steer the drawing. It is a model,
// not a widget; PictureBox shows it.
//
// Drawing beyond the current width is kept (the image grows on demand), because
// the linear renderers draw first and size the surface afterwards.
class Surface : public QObject {
    Q_OBJECT
  public:
    // Twips per drawing unit; 15 x 15 is one pixel at 96 dots per inch.
    struct Scale {
        double xTwips = 15.0;
        double yTwips = 15.0;
    };
    // Pixels of the sunken frame around the interior; drawing starts inside it.
    static constexpr int kBorder = 2;

    Surface(const QString& name, const QRectF& twips, Scale scale, const QFont& font,
            QObject* parent = nullptr);

    void Cls();
    // A line in ForeColor or in the given colour; both end points are set.
    void Line(double x1, double y1, double x2, double y2);
    void Line(double x1, double y1, double x2, double y2, Colour colour);
    // `count` vertical lines side by side, one unit apart from x: a whole bar
    // in one call, kept as one operation.
    void Lines(double x, double y1, double y2, int count);
    void Lines(double x, double y1, double y2, int count, Colour colour);
    // `count` one-unit columns from x, from the call's y1 down to y2.
    struct Bar {
        int x;
        int count;
        int y2;
        Colour colour;
    };
    // Bars as Lines draws them one by one, in one call: a symbol's hundred
    // bars share their conversions.
    void Bars(int y1, std::span<const Bar> bars);
    // A rectangle outlined in ForeColor or the given colour, filled with FillColor
    // when the fill style is solid.
    void Box(double x1, double y1, double x2, double y2);
    void Box(double x1, double y1, double x2, double y2, Colour colour);
    // Shapes that sit between pixels, smoothed: a filled polygon (a MaxiCode
    // hexagon), and a filled ellipse or, with a stroke, a ring of that width
    // centred on its outline (DotCode's dots, MaxiCode's bullseye). In the
    // surface's units, fractions kept for any scale the picture is drawn at.
    void Polygon(std::span<const QPointF> corners, Colour colour);
    void Ellipse(const QPointF& centre, double rx, double ry, double stroke, Colour colour);
    // Text with its top-left corner at (CurrentX, CurrentY), transparent background.
    void Print(const QString& text);
    // Texts each at its own top-left corner, as setting CurrentX and CurrentY
    // and printing would put them one after another, in one call: a symbol's
    // digits share the work of setting them.
    struct Caption {
        double x;
        double y;
        const QString* text;
    };
    void PrintEach(std::span<const Caption> captions);
    void Refresh();
    // How many pixels wide Print would make the text, in the current font.
    int textWidth(const QString& text);

    double CurrentX() const { return m_currentX; }
    double CurrentY() const { return m_currentY; }
    void setCurrentX(double x) { m_currentX = x; }
    void setCurrentY(double y) { m_currentY = y; }

    const QFont& Font() const { return m_font; }
    void setFontSize(double points);
    void setFontName(const QString& name);

    Colour BackColor() const { return m_backColor; }
    // Like Cls: the picture area is erased even when the colour does not change.
    void setBackColor(Colour colour);
    void setFillColor(Colour colour) { m_fillColor = colour; }
    void setFillSolid(bool solid) { m_fillSolid = solid; }
    void setDrawWidth(int width) { m_drawWidth = width < 1 ? 1 : width; }

    // Outer rectangle in twips.
    double Left() const { return m_twips.left(); }
    double Top() const { return m_twips.top(); }
    double Width() const { return m_twips.width(); }
    double Height() const { return m_twips.height(); }
    void setWidth(double twips);
    // The interior becomes this many pixels: a symbol whose height is its own
    // (a 2D symbol's) sizes the picture to itself. What was drawn, and any
    // picture under it, is cleared when the height changes.
    void setSize(QSize pixels);

    bool Visible() const { return m_visible; }
    void setVisible(bool visible);

    // The persistent image: everything drawn since the last Cls over the
    // background picture, as wide as the interior or the drawing, whichever is wider.
    QImage Image() const;
    // An empty image removes the background picture.
    void setPicture(const QImage& picture);

    // Pixel size of the interior as the current Width and Height give it.
    QSize interiorSize() const;
    // The pixels behind Image(), for painting without a copy; only the first
    // imageWidth() columns are meaningful.
    const QImage& pixels() const { return m_raster.image(); }
    int imageWidth() const { return m_raster.extent(); }

    // Makes the image at least this wide at once, so that a renderer that
    // knows its width grows it once rather than column by column.
    void extendTo(int pixels);

    // Half away from zero, as lround, without the library call: every bar
    // goes through these.
    int toPixelX(double x) const { return roundToInt(x * m_scale.xTwips / kTwipsPerPixel); }
    int toPixelY(double y) const { return roundToInt(y * m_scale.yTwips / kTwipsPerPixel); }

    // The widget that shows this surface calls this after it painted.
    void markPainted() { m_dirty = false; }

    // The picture becomes what the other surface (or this one) shows now, as
    // Picture = Image does; unlike a bare image it can be drawn again at any
    // resolution.
    void setPicture(const Surface& source);

    using Recolour = draw::Recolour;
    // Draws what the image holds again, from the recorded operations, in pixel
    // coordinates: crisp bars and sharp text at any device pixel ratio, and
    // vector output for an SVG painter. Only what meets `area` is drawn; fully
    // transparent colours are not drawn at all.
    void replay(QPainter& painter, const QRect& area, const Recolour& recolour = {}) const;
    void replay(ReplayTarget& target, const QRect& area, const Recolour& recolour = {}) const;
    // The image as SVG: bars as rectangles, text as text, one user unit a pixel.
    QByteArray toSvg() const;
    // The same SVG, written only when called: what the picture shows now is
    // kept, so a clipboard can offer it without building megabytes of XML for
    // a long symbol that no program may ever ask for.
    std::function<QByteArray()> svgWriter() const;
    // What the surface shows now, to be replayed or written later; the same
    // one again while nothing changes.
    std::shared_ptr<const Recording> recording() const;

    Colour ForeColor() const { return m_foreColor; }
    // What the picture shows, in words: the encoded data or the message.
    const QString& description() const { return m_description; }
    void setDescription(const QString& text);

  signals:
    void descriptionChanged(const QString& text);
    void changed();
    void refreshRequested();
    void geometryChanged();
    void visibilityChanged(bool visible);

  private:
    static int roundToInt(double v) { return static_cast<int>(v >= 0 ? v + 0.5 : v - 0.5); }
    std::shared_ptr<const Recording> snapshot() const;
    Recording snapshot(Ops ops) const;
    void touch();
    void setPictureRecording(std::shared_ptr<const Recording> recording);
    void drawColumns(int px, int py1, int py2, int count, QRgb colour);
    // Made where it is kept, field by field (an operation built aside and
    // copied in is read back wider than it was written, which stalls), and in
    // line: a symbol records a hundred.
    void addLine(const QLine& line, QRgb colour, int width, int count)
    {
        m_ops.list.emplace_back(std::in_place_type<Ops::Line>, line, colour, width, count);
    }

    QRectF m_twips;
    QSize m_interior; // of m_twips, kept: every Cls needs it
    Scale m_scale;
    QFont m_font;
    qint64 m_fontSerial = 0; // counts changes of m_font
    Colour m_backColor = kWhite;
    Colour m_foreColor = kButtonText;
    Colour m_fillColor = kBlack;
    bool m_fillSolid = false;
    int m_drawWidth = 1;
    double m_currentX = 0;
    double m_currentY = 0;
    bool m_visible = true;
    bool m_dirty = false;
    GlyphCache m_glyphs;
    Ops m_ops; // since the last Cls
    Ops m_spareOps; // empty, with room
    std::shared_ptr<const Recording> m_pictureRecording;
    // What snapshot() last gave, until anything changes (touch).
    mutable std::shared_ptr<const Recording> m_snapshot;
    QString m_description;
    RasterImage m_raster;
    std::vector<RasterImage::Placed> m_placed;
    std::vector<RasterImage::Column> m_columns;
};

} // namespace draw
