#include "draw/Recording.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace draw {

namespace {

QRectF boundsOf(std::span<const QPointF> corners)
{
    if (corners.empty())
        return {};
    double left = corners[0].x(), right = left, top = corners[0].y(), bottom = top;
    for (const QPointF& p : corners) {
        left = std::min(left, p.x());
        right = std::max(right, p.x());
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

bool isColumn(const Ops::Line& line)
{
    return line.width == 1 && line.line.x1() == line.line.x2();
}

void replayOps(ReplayTarget& target, const Ops& recorded, const QRect& area, const Recolour& recolour)
{
    const auto fillVisible = [&target](const QRect& rect, const QColor& colour) {
        if (colour.alpha() != 0)
            target.fill(rect, colour);
    };
    const std::vector<Ops::Op>& ops = recorded.list;
    for (size_t i = 0; i < ops.size(); ++i) {
        if (const auto* line = std::get_if<Ops::Line>(&ops[i])) {
            const QLine& l = line->line;
            if (isColumn(*line)) {
                // Adjacent one-pixel columns of one colour and extent are one
                // bar: one rectangle, not a rectangle per module.
                const int top = std::min(l.y1(), l.y2());
                const int bottom = std::max(l.y1(), l.y2());
                int width = line->count;
                while (i + 1 < ops.size()) {
                    const auto* next = std::get_if<Ops::Line>(&ops[i + 1]);
                    if (!next || !isColumn(*next) || next->colour != line->colour ||
                        next->line.x1() != l.x1() + width ||
                        std::min(next->line.y1(), next->line.y2()) != top ||
                        std::max(next->line.y1(), next->line.y2()) != bottom)
                        break;
                    width += next->count;
                    ++i;
                }
                const QRect bar(l.x1(), top, width, bottom - top + 1);
                if (bar.intersects(area))
                    fillVisible(bar, recoloured(recolour, line->colour));
                continue;
            }
            const QColor colour = recoloured(recolour, line->colour);
            if (colour.alpha() != 0)
                target.line(l, colour, line->width);
        } else if (const auto* box = std::get_if<Ops::Box>(&ops[i])) {
            const QRect& r = box->rect;
            if (!r.intersects(area))
                continue;
            if (box->filled)
                fillVisible(r, recoloured(recolour, box->fill));
            const QColor outline = recoloured(recolour, box->outline);
            fillVisible(QRect(r.left(), r.top(), r.width(), 1), outline);
            fillVisible(QRect(r.left(), r.bottom(), r.width(), 1), outline);
            fillVisible(QRect(r.left(), r.top(), 1, r.height()), outline);
            fillVisible(QRect(r.right(), r.top(), 1, r.height()), outline);
        } else if (const auto* op = std::get_if<Ops::Text>(&ops[i])) {
            const Ops::TextRun& text = recorded.texts[size_t(op->index)];
            if (op->topLeft.x() > area.right() || op->topLeft.y() > area.bottom())
                continue;
            const QColor colour = recoloured(recolour, text.colour);
            if (colour.alpha() != 0)
                target.text(op->topLeft, text.text, recorded.font(text), colour);
        } else if (const auto* polygon = std::get_if<Ops::Polygon>(&ops[i])) {
            const std::span<const QPointF> corners(recorded.points.data() + polygon->first, size_t(polygon->count));
            const QColor colour = recoloured(recolour, polygon->colour);
            if (colour.alpha() != 0 && boundsOf(corners).intersects(QRectF(area)))
                target.polygon(corners, colour);
        } else if (const auto* ellipse = std::get_if<Ops::Ellipse>(&ops[i])) {
            const QColor colour = recoloured(recolour, ellipse->colour);
            if (colour.alpha() != 0 && ellipseBounds(*ellipse).intersects(QRectF(area)))
                target.ellipse(QRectF(ellipse->cx - ellipse->rx, ellipse->cy - ellipse->ry, 2 * ellipse->rx,
                                      2 * ellipse->ry),
                               ellipse->stroke, colour);
        }
    }
}

} // namespace

PainterTarget::PainterTarget(QPainter& painter) : m_painter(painter) {}

void PainterTarget::fill(const QRect& rect, const QColor& colour)
{
    m_painter.fillRect(rect, colour);
}

void PainterTarget::line(const QLine& line, const QColor& colour, int width)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::SquareCap);
    m_painter.setPen(pen);
    m_painter.drawLine(line);
}

void PainterTarget::text(QPoint topLeft, const QString& text, const QFont& recorded, const QColor& colour)
{
    // Point sizes are meant at 96 dots per inch, whatever the device says.
    QFont font = recorded;
    if (font.pointSizeF() > 0 && m_painter.device())
        font.setPointSizeF(font.pointSizeF() * 96.0 / m_painter.device()->logicalDpiY());
    const QFontMetricsF metrics(font, m_painter.device());
    m_painter.setFont(font);
    m_painter.setPen(colour);
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()), text);
}

void PainterTarget::image(const QImage& image)
{
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(0, 0, image);
    m_painter.restore();
}

void PainterTarget::polygon(std::span<const QPointF> corners, const QColor& colour)
{
    // Shapes between pixels are smoothed: at a few pixels a module a jagged
    // hexagon is no longer one.
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(colour);
    m_painter.drawPolygon(corners.data(), int(corners.size()));
    m_painter.restore();
}

void PainterTarget::ellipse(const QRectF& bounds, double stroke, const QColor& colour)
{
    m_painter.save();
    m_painter.setRenderHint(QPainter::Antialiasing, true);
    if (stroke > 0) {
        m_painter.setPen(QPen(colour, stroke));
        m_painter.setBrush(Qt::NoBrush);
    } else {
        m_painter.setPen(Qt::NoPen);
        m_painter.setBrush(colour);
    }
    m_painter.drawEllipse(bounds);
    m_painter.restore();
}

QRectF ellipseBounds(const Ops::Ellipse& e)
{
    const double rx = e.rx + e.stroke / 2;
    const double ry = e.ry + e.stroke / 2;
    return QRectF(e.cx - rx, e.cy - ry, 2 * rx, 2 * ry);
}

QColor recoloured(const Recolour& recolour, QRgb colour)
{
    return recolour ? recolour(colour) : QColor::fromRgb(colour);
}

void replayLayers(ReplayTarget& target, const Recording* picture, const QImage& backdrop, const Ops& ops,
                  const QRect& area, const Recolour& recolour)
{
    if (picture)
        replayRecording(target, *picture, area, recolour);
    else if (!backdrop.isNull())
        target.image(backdrop);
    replayOps(target, ops, area, recolour);
}

void replayRecording(ReplayTarget& target, const Recording& recording, const QRect& area,
                     const Recolour& recolour)
{
    const QColor back = recoloured(recolour, recording.back);
    if (back.alpha() != 0)
        target.fill(QRect(QPoint(0, 0), recording.size).intersected(area), back);
    replayLayers(target, recording.picture.get(), recording.backdrop, recording.ops, area, recolour);
}

void replayRecording(QPainter& painter, const Recording& recording, const QRect& area,
                     const Recolour& recolour)
{
    PainterTarget target(painter);
    replayRecording(target, recording, area, recolour);
}

} // namespace draw
