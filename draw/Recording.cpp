#include "draw/Recording.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>

namespace draw {

namespace {

// The characters XML 1.0 allows at all, escaped or not: control characters
// (an invalid one named in a message), unpaired surrogates and U+FFFE/U+FFFF
// would make the whole SVG unreadable, so they are left out of it.
QString xmlChars(const QString& text)
{
    QString kept;
    kept.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            kept += c;
            kept += text.at(++i);
            continue;
        }
        const char16_t u = c.unicode();
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF ||
            (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r'))
            continue;
        kept += c;
    }
    return kept;
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
        }
    }
}

} // namespace

PainterTarget::PainterTarget(QPainter& painter)
    : m_painter(painter),
      // Whatever paints SVG writes text into XML, from the clipboard's copy or an export.
      m_forXml(painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::SVG)
{
}

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
    // An SVG painter writes the family into an attribute as it is.
    if (m_forXml)
        font.setFamily(xmlChars(font.family()).toHtmlEscaped());
    if (font.pointSizeF() > 0 && m_painter.device())
        font.setPointSizeF(font.pointSizeF() * 96.0 / m_painter.device()->logicalDpiY());
    const QFontMetricsF metrics(font, m_painter.device());
    m_painter.setFont(font);
    m_painter.setPen(colour);
    m_painter.drawText(QPointF(topLeft.x(), topLeft.y() + metrics.ascent()),
                       m_forXml ? xmlChars(text) : text);
}

void PainterTarget::image(const QImage& image)
{
    m_painter.save();
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    m_painter.drawImage(0, 0, image);
    m_painter.restore();
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

QString svgTitle(const QString& text)
{
    return xmlChars(text).toHtmlEscaped();
}

} // namespace draw
