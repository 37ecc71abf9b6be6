#include "draw/Surface.h"

#include "draw/Geometry.h"
#include "draw/SvgWriter.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace draw {

namespace {
QSize interiorOf(const QRectF& twips)
{
    return {std::max(twipsToPixels(twips.width()) - 2 * Surface::kBorder, 1),
            std::max(twipsToPixels(twips.height()) - 2 * Surface::kBorder, 1)};
}
} // namespace

Surface::Surface(const QString& name, const QRectF& twips, Scale scale, const QFont& font, QObject* parent)
    : QObject(parent), m_twips(twips), m_interior(interiorOf(twips)), m_scale(scale), m_font(font),
      m_raster(m_interior)
{
    setObjectName(name);
    // Glyphs are set one by one from cache, so no pair of them is kerned;
    // every path (bitmap, replay, SVG) sets text the same way.
    m_font.setKerning(false);
    m_glyphs.setFont(m_font);
    m_raster.setBackground(toRgb(m_backColor), QImage());
}

QSize Surface::interiorSize() const
{
    return m_interior;
}

void Surface::touch()
{
    m_snapshot.reset();
    if (!m_dirty) {
        m_dirty = true;
        emit changed();
    }
}

void Surface::Cls()
{
    m_raster.clear(interiorSize().width());
    m_ops.clear();
    setDescription(QString());
    m_currentX = 0;
    m_currentY = 0;
    touch();
}

void Surface::setBackColor(Colour colour)
{
    m_backColor = colour;
    m_raster.setBackground(toRgb(colour), m_raster.picture());
    Cls();
}

void Surface::Line(double x1, double y1, double x2, double y2)
{
    Line(x1, y1, x2, y2, m_foreColor);
}

void Surface::Line(double x1, double y1, double x2, double y2, Colour colour)
{
    const QLine line(toPixelX(x1), toPixelY(y1), toPixelX(x2), toPixelY(y2));
    const QRgb rgb = toRgb(colour);
    if (m_drawWidth == 1 && line.x1() == line.x2())
        drawColumns(line.x1(), line.y1(), line.y2(), 1, rgb);
    else
        m_raster.line(line, rgb, m_drawWidth);
    addLine(line, rgb, m_drawWidth, 1);
    touch();
}

void Surface::drawColumns(int px, int py1, int py2, int count, QRgb colour)
{
    // Bars are runs of one-pixel columns; setting them directly keeps every
    // module crisp and long symbols fast. Nothing left of the image is drawn.
    if (px < 0)
        return;
    m_raster.columns(px, std::min(py1, py2), std::max(py1, py2), count, colour);
}

void Surface::Lines(double x, double y1, double y2, int count)
{
    Lines(x, y1, y2, count, m_foreColor);
}

void Surface::Lines(double x, double y1, double y2, int count, Colour colour)
{
    if (count <= 0)
        return;
    // Whole units a pixel apart make adjacent columns; any other scale or
    // position is drawn line by line, exactly as single lines would be.
    const int px = toPixelX(x);
    if (m_drawWidth != 1 || m_scale.xTwips != kTwipsPerPixel || x != std::floor(x) || px < 0) {
        for (int i = 0; i < count; ++i)
            Line(x + i, y1, x + i, y2, colour);
        return;
    }
    const QLine line(px, toPixelY(y1), px, toPixelY(y2));
    const QRgb rgb = toRgb(colour);
    drawColumns(px, line.y1(), line.y2(), count, rgb);
    addLine(line, rgb, 1, count);
    touch();
}

void Surface::Bars(int y1, std::span<const Bar> bars)
{
    // Whole units are whole pixels across at one pixel a unit; otherwise each
    // bar goes as Lines takes it.
    if (m_drawWidth != 1 || m_scale.xTwips != kTwipsPerPixel) {
        for (const Bar& bar : bars)
            Lines(bar.x, y1, bar.y2, bar.count, bar.colour);
        return;
    }
    const int py1 = toPixelY(y1);
    // A symbol's bars come in two colours (UPC-A's light modules alternate
    // with the dark ones) and two lengths: each is converted once.
    struct Ink {
        Colour colour;
        QRgb rgb;
        uchar grey;
    };
    std::array<Ink, 2> inks{};
    int known = 0;
    const auto inkOf = [&](Colour colour) -> const Ink& {
        for (int i = 0; i < known; ++i)
            if (inks[size_t(i)].colour == colour)
                return inks[size_t(i)];
        const QRgb rgb = toRgb(colour);
        Ink& ink = inks[size_t(known < 2 ? known++ : 1)];
        ink = {colour, rgb, uchar(qGray(rgb))};
        return ink;
    };
    int y2 = 0;
    int py2 = py1;
    bool drawn = false;
    m_columns.clear();
    const auto send = [this, py1] {
        m_raster.columns(py1, m_columns);
        m_columns.clear();
    };
    m_ops.list.reserve(m_ops.list.size() + bars.size());
    for (const Bar& bar : bars) {
        if (bar.count <= 0)
            continue;
        if (bar.x < 0) {
            send();
            Lines(bar.x, y1, bar.y2, bar.count, bar.colour);
            continue;
        }
        if (!drawn || bar.y2 != y2) {
            y2 = bar.y2;
            py2 = toPixelY(y2);
        }
        drawn = true;
        const Ink& ink = inkOf(bar.colour);
        if (py2 >= py1) {
            m_columns.push_back({bar.x, bar.count, py2, ink.grey});
        } else {
            send();
            m_raster.columns(bar.x, py2, py1, bar.count, ink.rgb);
        }
        addLine(QLine(bar.x, py1, bar.x, py2), ink.rgb, 1, bar.count);
    }
    send();
    if (drawn)
        touch();
}

void Surface::Box(double x1, double y1, double x2, double y2)
{
    Box(x1, y1, x2, y2, m_foreColor);
}

void Surface::Box(double x1, double y1, double x2, double y2, Colour colour)
{
    const int left = std::min(toPixelX(x1), toPixelX(x2));
    const int right = std::max(toPixelX(x1), toPixelX(x2));
    const int top = std::min(toPixelY(y1), toPixelY(y2));
    const int bottom = std::max(toPixelY(y1), toPixelY(y2));
    if (right >= 0)
        m_raster.ensureWidth(right + 1);
    if (m_fillSolid)
        m_raster.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), toQColor(m_fillColor));
    const QRgb outline = toRgb(colour);
    m_ops.list.push_back(
        Ops::Box{QRect(QPoint(left, top), QPoint(right, bottom)), outline, toRgb(m_fillColor), m_fillSolid});
    const auto edge = [&](int x1, int y1, int x2, int y2) {
        if (m_drawWidth == 1 && x1 == x2)
            drawColumns(x1, y1, y2, 1, outline);
        else
            m_raster.line(QLine(x1, y1, x2, y2), outline, m_drawWidth);
    };
    edge(left, top, right, top);
    edge(left, bottom, right, bottom);
    edge(left, top, left, bottom);
    edge(right, top, right, bottom);
    touch();
}

void Surface::Polygon(std::span<const QPointF> corners, Colour colour)
{
    if (corners.size() < 3)
        return;
    const double sx = m_scale.xTwips / kTwipsPerPixel;
    const double sy = m_scale.yTwips / kTwipsPerPixel;
    const int first = int(m_ops.points.size());
    QPainterPath path;
    for (const QPointF& corner : corners) {
        const QPointF p(corner.x() * sx, corner.y() * sy);
        m_ops.points.push_back(p);
        if (path.elementCount() == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    const QRgb rgb = toRgb(colour);
    m_raster.fillPath(path, rgb);
    m_ops.list.push_back(Ops::Polygon{first, int(corners.size()), rgb});
    touch();
}

void Surface::Ellipse(const QPointF& centre, double rx, double ry, double stroke, Colour colour)
{
    const double sx = m_scale.xTwips / kTwipsPerPixel;
    const double sy = m_scale.yTwips / kTwipsPerPixel;
    const Ops::Ellipse e{float(centre.x() * sx), float(centre.y() * sy), float(rx * sx), float(ry * sy),
                         float(stroke * std::min(sx, sy)), toRgb(colour)};
    QPainterPath path;
    const QPointF c(e.cx, e.cy);
    if (e.stroke > 0) {
        // A ring: the outline's band, the inner disc left out.
        path.setFillRule(Qt::OddEvenFill);
        path.addEllipse(c, e.rx + e.stroke / 2, e.ry + e.stroke / 2);
        if (e.rx > e.stroke / 2 && e.ry > e.stroke / 2)
            path.addEllipse(c, e.rx - e.stroke / 2, e.ry - e.stroke / 2);
    } else {
        path.addEllipse(c, e.rx, e.ry);
    }
    m_raster.fillPath(path, e.colour);
    m_ops.list.push_back(e);
    touch();
}

int Surface::textWidth(const QString& text)
{
    return m_glyphs.setText(
        text, 0, [](const GlyphCache::Sprite&, int) {}, [](int) {});
}

void Surface::Print(const QString& text)
{
    const Caption caption{m_currentX, m_currentY, &text};
    PrintEach(std::span<const Caption>(&caption, 1));
}

void Surface::PrintEach(std::span<const Caption> captions)
{
    if (captions.empty())
        return;
    const QRgb colour = toRgb(m_foreColor);
    double lineHeight = 0;
    m_placed.clear();
    // Every text's glyphs are placed before any is blended.
    m_glyphs.hold(true);
    const int fore = qGray(colour);
    for (const Caption& caption : captions) {
        const int px = toPixelX(caption.x);
        const int py = toPixelY(caption.y);
        m_ops.addText(QPoint(px, py), *caption.text, m_font, m_fontSerial, colour);
        lineHeight = 0;
        m_glyphs.setText(
            *caption.text, px,
            [&](const GlyphCache::Sprite& sprite, int x) {
                m_placed.push_back({&sprite.ink, x + sprite.offset.x(), py + sprite.offset.y()});
                lineHeight = std::max(lineHeight, sprite.lineHeight);
            },
            [&](int right) {
                if (right <= m_raster.extent())
                    return;
                // Growth paints the new columns: the texts before it are set
                // first, as printing them one by one would have set them.
                if (!m_placed.empty()) {
                    m_raster.blendText(m_placed, fore);
                    m_placed.clear();
                }
                m_raster.ensureWidth(right);
            });
    }
    m_glyphs.hold(false);
    m_raster.blendText(m_placed, fore);
    // As after a Print without a trailing separator: next line, left margin.
    m_currentX = 0;
    m_currentY = captions.back().y + lineHeight * kTwipsPerPixel / m_scale.yTwips;
    touch();
}

void Surface::extendTo(int pixels)
{
    m_snapshot.reset();
    m_raster.reserveWidth(pixels);
    m_raster.ensureWidth(pixels);
}

void Surface::Refresh()
{
    emit refreshRequested();
}

void Surface::setFontSize(double points)
{
    // The renderers set their size on every redraw; the font's key is only
    // worth building again when it changes.
    if (points == m_font.pointSizeF())
        return;
    m_font.setPointSizeF(points);
    ++m_fontSerial;
    m_glyphs.setFont(m_font);
}

void Surface::setFontName(const QString& name)
{
    m_font.setFamily(name);
    ++m_fontSerial;
    m_glyphs.setFont(m_font);
}

void Surface::setWidth(double twips)
{
    m_twips.setWidth(twips);
    m_interior = interiorOf(m_twips);
    m_raster.setExtent(interiorSize().width());
    emit geometryChanged();
    touch();
}

void Surface::setSize(QSize pixels)
{
    const QSize old = m_interior;
    m_twips.setWidth(pixelsToTwips(pixels.width() + 2 * kBorder));
    m_twips.setHeight(pixelsToTwips(pixels.height() + 2 * kBorder));
    m_interior = interiorOf(m_twips);
    if (m_interior.height() != old.height()) {
        // A picture of the old height has no place under the new drawing.
        m_raster = RasterImage(m_interior);
        m_raster.setBackground(toRgb(m_backColor), QImage());
        m_ops.clear();
        setPictureRecording(nullptr);
    } else {
        m_raster.setExtent(m_interior.width());
    }
    if (m_interior != old)
        emit geometryChanged();
    touch();
}

void Surface::setVisible(bool visible)
{
    if (m_visible == visible)
        return;
    m_visible = visible;
    emit visibilityChanged(visible);
}

QImage Surface::Image() const
{
    return m_raster.copy();
}

void Surface::setPicture(const QImage& picture)
{
    // The picture replaces what was drawn: the image shows it over BackColor.
    m_raster.reset(toRgb(m_backColor), picture);
    setPictureRecording(nullptr);
    m_ops.clear();
    touch();
}

void Surface::setPictureRecording(std::shared_ptr<const Recording> recording)
{
    // A recording nobody else holds gives its operations' room to the next
    // drawing: a symbol redrawn on every keystroke allocates none.
    if (m_pictureRecording && m_pictureRecording.use_count() == 1) {
        m_spareOps = std::move(const_cast<Recording&>(*m_pictureRecording).ops);
        m_spareOps.clear();
    }
    m_pictureRecording = std::move(recording);
    // After the touch() that told the listeners: a recording one of them took
    // then shows the old picture.
    m_snapshot.reset();
}

void Surface::setPicture(const Surface& source)
{
    if (&source == this) {
        // What the image shows already is the picture: nothing to copy or
        // paint, and the operations move to the recording.
        const size_t ops = m_ops.list.size();
        const size_t texts = m_ops.texts.size();
        auto recording = std::make_shared<Recording>(snapshot(std::move(m_ops)));
        // The next drawing is as large: room for it at once.
        m_ops = std::move(m_spareOps);
        m_ops.clear();
        m_ops.list.reserve(ops);
        m_ops.texts.reserve(texts);
        m_raster.keepAsPicture();
        setPictureRecording(std::move(recording));
        touch();
        return;
    }
    auto recording = source.snapshot();
    setPicture(source.m_raster.shared());
    setPictureRecording(std::move(recording));
}

std::shared_ptr<const Recording> Surface::snapshot() const
{
    // A surface that has not changed gives the same recording again: UPC-A's
    // blank picture is taken on every redraw.
    if (!m_snapshot)
        m_snapshot = std::make_shared<Recording>(snapshot(Ops(m_ops)));
    return m_snapshot;
}

Recording Surface::snapshot(Ops ops) const
{
    Recording recording;
    recording.back = toRgb(m_backColor);
    recording.size = QSize(m_raster.extent(), m_raster.height());
    recording.picture = m_pictureRecording;
    if (!m_pictureRecording)
        recording.backdrop = m_raster.picture();
    recording.ops = std::move(ops);
    return recording;
}

void Surface::setDescription(const QString& text)
{
    if (text == m_description)
        return;
    m_description = text;
    emit descriptionChanged(text);
}

void Surface::replay(QPainter& painter, const QRect& area, const Recolour& recolour) const
{
    PainterTarget target(painter);
    replay(target, area, recolour);
}

void Surface::replay(ReplayTarget& target, const QRect& area, const Recolour& recolour) const
{
    const QColor back = recoloured(recolour, toRgb(m_backColor));
    if (back.alpha() != 0)
        target.fill(area, back);
    replayLayers(target, m_pictureRecording.get(), m_raster.picture(), m_ops, area, recolour);
}

QByteArray Surface::toSvg() const
{
    return svgWriter()();
}

std::function<QByteArray()> Surface::svgWriter() const
{
    return [recording = snapshot(), title = m_description] {
        return writeSvg(*recording, title, {.size = QSizeF(recording->size)});
    };
}

std::shared_ptr<const Recording> Surface::recording() const
{
    return snapshot();
}

} // namespace draw
