#include "draw/Surface.h"

#include "draw/Geometry.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

namespace draw {

namespace {
// Images are 96 dots per inch so that point sizes render as on a 96-dpi screen.
constexpr int kDotsPerMeter = 3780;

// Every colour this program draws is a grey, so one byte a pixel holds the
// image exactly, at a quarter of the memory of 32-bit pixels: long symbols
// are hundreds of thousands of pixels wide.
QImage blankImage(int width, int height)
{
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_Grayscale8);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    return image;
}

QColor ink(const Surface::Recolour& recolour, QRgb colour)
{
    return recolour ? recolour(colour) : QColor::fromRgb(colour);
}

// A transparent background leaves nothing behind, not even an invisible
// rectangle in vector output.
void fill(QPainter& painter, const QRect& rect, const QColor& colour)
{
    if (colour.alpha() != 0)
        painter.fillRect(rect, colour);
}

// Half away from zero, as lround, without the library call on the bar path.
int roundToInt(double v)
{
    return static_cast<int>(v >= 0 ? v + 0.5 : v - 0.5);
}

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
} // namespace

Surface::Surface(const QString& name, const QRectF& twips, Scale scale, const QFont& font, QObject* parent)
    : QObject(parent), m_twips(twips), m_scale(scale), m_font(font)
{
    setObjectName(name);
    // Glyphs are set one by one from cache, so no pair of them is kerned;
    // every path (bitmap, replay, SVG) sets text the same way.
    m_font.setKerning(false);
    m_fontKey = m_font.key() + QChar(u'\x1f');
    const QSize interior = interiorSize();
    m_image = blankImage(interior.width(), interior.height());
    m_extent = m_image.width();
    paintBackground(0, m_extent);
}

QSize Surface::interiorSize() const
{
    return {std::max(twipsToPixels(m_twips.width()) - 2 * kBorder, 1),
            std::max(twipsToPixels(m_twips.height()) - 2 * kBorder, 1)};
}

int Surface::toPixelX(double x) const
{
    return roundToInt(x * m_scale.xTwips / kTwipsPerPixel);
}

int Surface::toPixelY(double y) const
{
    return roundToInt(y * m_scale.yTwips / kTwipsPerPixel);
}

void Surface::touch()
{
    if (!m_dirty) {
        m_dirty = true;
        emit changed();
    }
}

void Surface::paintBackground(int fromX, int toX)
{
    if (toX <= fromX)
        return;
    // Plain rows, no painter: this runs whenever the image grows.
    const auto back = static_cast<uchar>(qGray(toRgb(m_backColor)));
    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    const int height = m_image.height();
    for (int y = 0; y < height; ++y)
        std::memset(bits + y * stride + fromX, back, size_t(toX - fromX));
    if (!m_picture.isNull() && fromX < m_picture.width()) {
        QPainter p(&m_image);
        p.setClipRect(QRect(fromX, 0, toX - fromX, m_image.height()));
        p.drawImage(0, 0, m_picture);
    }
}

void Surface::ensureWidth(int pixels)
{
    if (pixels <= m_extent)
        return;
    // Grow by half again at least, so drawing a long symbol column by column
    // does not copy the whole image again and again.
    if (pixels > m_image.width())
        reserveWidth(std::max(pixels, m_image.width() + m_image.width() / 2));
    const int old = m_extent;
    m_extent = pixels;
    paintBackground(old, pixels);
}

void Surface::Cls()
{
    const int width = interiorSize().width();
    if (width > m_image.width())
        ensureWidth(width);
    m_extent = width;
    paintBackground(0, m_extent);
    m_ops.clear();
    setDescription(QString());
    m_currentX = 0;
    m_currentY = 0;
    touch();
}

void Surface::setBackColor(Colour colour)
{
    m_backColor = colour;
    Cls();
}

void Surface::drawLine(int px1, int py1, int px2, int py2, QRgb colour)
{
    const int h = m_image.height();
    if (m_drawWidth == 1 && px1 == px2) {
        // Bars are runs of one-pixel columns; setting them directly keeps every
        // module crisp and long symbols fast.
        if (px1 < 0)
            return;
        ensureWidth(px1 + 1);
        const auto grey = static_cast<uchar>(qGray(colour));
        const int top = std::clamp(std::min(py1, py2), 0, h);
        const int bottom = std::clamp(std::max(py1, py2), -1, h - 1);
        uchar* column = m_image.bits() + px1; // one detach, not one per row
        const qsizetype stride = m_image.bytesPerLine();
        for (int y = top; y <= bottom; ++y)
            column[y * stride] = grey;
        return;
    }
    const int right = std::max(px1, px2) + m_drawWidth;
    if (right > 0)
        ensureWidth(right);
    QPainter p(&m_image);
    QPen pen(QColor::fromRgb(colour), m_drawWidth);
    pen.setCapStyle(Qt::SquareCap);
    p.setPen(pen);
    p.drawLine(px1, py1, px2, py2);
}

void Surface::Line(double x1, double y1, double x2, double y2)
{
    Line(x1, y1, x2, y2, m_foreColor);
}

void Surface::Line(double x1, double y1, double x2, double y2, Colour colour)
{
    const QLine line(toPixelX(x1), toPixelY(y1), toPixelX(x2), toPixelY(y2));
    const QRgb rgb = toRgb(colour);
    drawLine(line.x1(), line.y1(), line.x2(), line.y2(), rgb);
    m_ops.list.push_back(LineOp{line, rgb, m_drawWidth});
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
        ensureWidth(right + 1);
    if (m_fillSolid) {
        QPainter p(&m_image);
        p.fillRect(QRect(QPoint(left, top), QPoint(right, bottom)), toQColor(m_fillColor));
    }
    const QRgb outline = toRgb(colour);
    m_ops.list.push_back(
        BoxOp{QRect(QPoint(left, top), QPoint(right, bottom)), outline, toRgb(m_fillColor), m_fillSolid});
    drawLine(left, top, right, top, outline);
    drawLine(left, bottom, right, bottom, outline);
    drawLine(left, top, left, bottom, outline);
    drawLine(right, top, right, bottom, outline);
    touch();
}

const Surface::TextSprite& Surface::sprite(const QString& text)
{
    const QString key = m_fontKey + text;
    if (const auto found = m_sprites.constFind(key); found != m_sprites.cend())
        return *found;
    if (m_sprites.size() >= kMaxSprites)
        m_sprites.clear();

    QTextLayout layout(text, m_font, &m_image);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    TextSprite sprite;
    sprite.exactAdvance = line.horizontalAdvance();
    sprite.advance = int(std::ceil(sprite.exactAdvance));
    sprite.lineHeight = line.height();
    QImage ink(sprite.advance + 2, int(std::ceil(line.height())) + 1, QImage::Format_ARGB32_Premultiplied);
    ink.setDotsPerMeterX(kDotsPerMeter);
    ink.setDotsPerMeterY(kDotsPerMeter);
    ink.fill(Qt::transparent);
    {
        QPainter p(&ink);
        p.setPen(Qt::black);
        layout.draw(&p, QPointF(0, 0));
    }
    // Kept only where there is ink, so blending skips the empty margins.
    const QImage coverage = ink.convertToFormat(QImage::Format_Alpha8);
    QRect box;
    for (int y = 0; y < coverage.height(); ++y) {
        const uchar* row = coverage.constScanLine(y);
        for (int x = 0; x < coverage.width(); ++x)
            if (row[x] != 0)
                box |= QRect(x, y, 1, 1);
    }
    sprite.offset = box.topLeft();
    sprite.coverage = box.isEmpty() ? QImage() : coverage.copy(box);
    return *m_sprites.insert(key, std::move(sprite));
}

// Labels are printable ASCII: set glyph by glyph from rasterised glyphs,
// without shaping, they cost a fraction of a layout. Short texts such as the EAN
// digits, and other text up to kMaxSpriteText characters (which may need
// shaping), are rasterised as one piece; longer text goes glyph by glyph too.
// `reach` learns how far right the ink goes before `place` puts each piece at
// its x; returns the width.
template <typename Place, typename Reach>
int Surface::setText(const QString& text, int px, Place&& place, Reach&& reach)
{
    bool plain = true;
    for (const QChar c : text)
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    if (text.size() <= kWholeText || (!plain && text.size() <= kMaxSpriteText)) {
        const TextSprite ink = sprite(text);
        reach(px + ink.advance + 1);
        place(ink, px);
        return ink.advance + 1;
    }
    std::array<std::optional<TextSprite>, 128> ascii;
    std::unordered_map<char32_t, TextSprite> other;
    std::vector<const TextSprite*> glyphs;
    glyphs.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const char32_t code =
            n == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        if (code < ascii.size()) {
            if (!ascii[code])
                ascii[code] = sprite(text.mid(i, n));
            glyphs.push_back(&*ascii[code]);
        } else {
            auto found = other.find(code);
            if (found == other.end())
                found = other.emplace(code, sprite(text.mid(i, n))).first;
            glyphs.push_back(&found->second);
        }
        i += n - 1;
    }
    double x = px;
    double right = px;
    for (const TextSprite* ink : glyphs) {
        right = x + ink->advance + 1;
        x += ink->exactAdvance;
    }
    reach(int(std::ceil(right)));
    x = px;
    for (const TextSprite* ink : glyphs) {
        place(*ink, roundToInt(x));
        x += ink->exactAdvance;
    }
    return int(std::ceil(right)) - px;
}

int Surface::textWidth(const QString& text)
{
    return setText(
        text, 0, [](const TextSprite&, int) {}, [](int) {});
}

void Surface::Print(const QString& text)
{
    const int px = toPixelX(m_currentX);
    const int py = toPixelY(m_currentY);
    m_ops.list.push_back(TextOp{QPoint(px, py), int(m_ops.texts.size())});
    m_ops.texts.push_back({text, m_font, toRgb(m_foreColor)});
    double lineHeight = 0;
    setText(
        text, px,
        [&](const TextSprite& ink, int x) {
            blend(ink.coverage, x + ink.offset.x(), py + ink.offset.y());
            lineHeight = std::max(lineHeight, ink.lineHeight);
        },
        [&](int right) {
            if (right > 0)
                ensureWidth(right);
        });
    // As after a Print without a trailing separator: next line, left margin.
    m_currentX = 0;
    m_currentY += lineHeight * kTwipsPerPixel / m_scale.yTwips;
    touch();
}

void Surface::blend(const QImage& coverage, int px, int py)
{
    if (coverage.isNull())
        return;
    const int fore = qGray(toRgb(m_foreColor));
    const QRect area = QRect(px, py, coverage.width(), coverage.height()).intersected(m_image.rect());
    uchar* bits = m_image.bits();
    const qsizetype stride = m_image.bytesPerLine();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar* cover = coverage.constScanLine(y - py) - px;
        uchar* row = bits + y * stride;
        for (int x = area.left(); x <= area.right(); ++x) {
            // row + (fore - row) * a / 255, rounded, in integers.
            const int t = (fore - row[x]) * cover[x] + 128;
            row[x] = uchar(row[x] + ((t + (t >> 8)) >> 8));
        }
    }
}

void Surface::extendTo(int pixels)
{
    reserveWidth(pixels);
    ensureWidth(pixels);
}

void Surface::reserveWidth(int pixels)
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

void Surface::Refresh()
{
    emit refreshRequested();
}

void Surface::setFontSize(double points)
{
    m_font.setPointSizeF(points);
    m_fontKey = m_font.key() + QChar(u'\x1f');
}

void Surface::setFontName(const QString& name)
{
    m_font.setFamily(name);
    m_fontKey = m_font.key() + QChar(u'\x1f');
}

void Surface::setWidth(double twips)
{
    m_twips.setWidth(twips);
    const int width = interiorSize().width();
    if (width > m_extent)
        ensureWidth(width);
    else
        m_extent = width;
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
    return m_image.copy(0, 0, m_extent, m_image.height());
}

void Surface::setPicture(const QImage& picture)
{
    // The picture replaces what was drawn: the image shows it over BackColor.
    m_picture = picture;
    m_pictureRecording.reset();
    m_ops.clear();
    paintBackground(0, m_extent);
    touch();
}

void Surface::setPicture(const Surface& source)
{
    auto recording = source.snapshot();
    setPicture(source.Image());
    m_pictureRecording = std::move(recording);
}

std::shared_ptr<const Surface::Recording> Surface::snapshot() const
{
    auto recording = std::make_shared<Recording>();
    recording->back = toRgb(m_backColor);
    recording->size = QSize(m_extent, m_image.height());
    recording->picture = m_pictureRecording;
    if (!m_pictureRecording)
        recording->backdrop = m_picture;
    recording->ops = m_ops;
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
    fill(painter, area, ink(recolour, toRgb(m_backColor)));
    if (m_pictureRecording) {
        replayRecording(painter, *m_pictureRecording, area, true, recolour);
    } else if (!m_picture.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(0, 0, m_picture);
        painter.restore();
    }
    replayOps(painter, m_ops, area, recolour);
}

void Surface::replayRecording(QPainter& painter, const Recording& recording, const QRect& area, bool fillBack,
                              const Recolour& recolour)
{
    if (fillBack)
        fill(painter, QRect(QPoint(0, 0), recording.size).intersected(area), ink(recolour, recording.back));
    if (recording.picture) {
        replayRecording(painter, *recording.picture, area, true, recolour);
    } else if (!recording.backdrop.isNull()) {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(0, 0, recording.backdrop);
        painter.restore();
    }
    replayOps(painter, recording.ops, area, recolour);
}

void Surface::replayOps(QPainter& painter, const Ops& recorded, const QRect& area, const Recolour& recolour)
{
    // Whatever paints SVG writes text into XML, from the clipboard's copy or an export.
    const bool forXml = painter.paintEngine() && painter.paintEngine()->type() == QPaintEngine::SVG;
    const std::vector<Op>& ops = recorded.list;
    for (size_t i = 0; i < ops.size(); ++i) {
        if (const auto* line = std::get_if<LineOp>(&ops[i])) {
            const QLine& l = line->line;
            if (line->width == 1 && l.x1() == l.x2()) {
                // Adjacent one-pixel columns of one colour and extent are one
                // bar: one rectangle, not a rectangle per module.
                const int top = std::min(l.y1(), l.y2());
                const int bottom = std::max(l.y1(), l.y2());
                int count = 1;
                while (i + count < ops.size()) {
                    const auto* next = std::get_if<LineOp>(&ops[i + count]);
                    if (!next || next->width != 1 || next->colour != line->colour ||
                        next->line.x1() != l.x1() + count || next->line.x2() != l.x1() + count ||
                        std::min(next->line.y1(), next->line.y2()) != top ||
                        std::max(next->line.y1(), next->line.y2()) != bottom)
                        break;
                    ++count;
                }
                i += size_t(count - 1);
                const QRect bar(l.x1(), top, count, bottom - top + 1);
                if (bar.intersects(area))
                    fill(painter, bar, ink(recolour, line->colour));
                continue;
            }
            const QColor colour = ink(recolour, line->colour);
            if (colour.alpha() == 0)
                continue;
            QPen pen(colour, line->width);
            pen.setCapStyle(Qt::SquareCap);
            painter.setPen(pen);
            painter.drawLine(l);
        } else if (const auto* box = std::get_if<BoxOp>(&ops[i])) {
            const QRect& r = box->rect;
            if (!r.intersects(area))
                continue;
            if (box->filled)
                fill(painter, r, ink(recolour, box->fill));
            const QColor outline = ink(recolour, box->outline);
            fill(painter, QRect(r.left(), r.top(), r.width(), 1), outline);
            fill(painter, QRect(r.left(), r.bottom(), r.width(), 1), outline);
            fill(painter, QRect(r.left(), r.top(), 1, r.height()), outline);
            fill(painter, QRect(r.right(), r.top(), 1, r.height()), outline);
        } else if (const auto* op = std::get_if<TextOp>(&ops[i])) {
            const Ops::Text* text = &recorded.texts[size_t(op->index)];
            // Point sizes are meant at 96 dots per inch, whatever the device says.
            QFont font = text->font;
            // An SVG painter writes the family into an attribute as it is.
            if (forXml)
                font.setFamily(xmlChars(font.family()).toHtmlEscaped());
            if (font.pointSizeF() > 0 && painter.device())
                font.setPointSizeF(font.pointSizeF() * 96.0 / painter.device()->logicalDpiY());
            const QFontMetricsF metrics(font, painter.device());
            if (op->topLeft.x() > area.right() || op->topLeft.y() > area.bottom())
                continue;
            const QColor colour = ink(recolour, text->colour);
            if (colour.alpha() == 0)
                continue;
            painter.setFont(font);
            painter.setPen(colour);
            painter.drawText(QPointF(op->topLeft.x(), op->topLeft.y() + metrics.ascent()),
                             forXml ? xmlChars(text->text) : text->text);
        }
    }
}

QByteArray Surface::toSvg() const
{
    return writeSvg(*snapshot(), m_description);
}

std::function<QByteArray()> Surface::svgWriter() const
{
    return [recording = snapshot(), title = m_description] { return writeSvg(*recording, title); };
}

QByteArray Surface::writeSvg(const Recording& recording, const QString& title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QRect area(QPoint(0, 0), recording.size);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(area.size());
    generator.setViewBox(area);
    generator.setResolution(96);
    // The generator writes the title as it is given but escapes text.
    generator.setTitle(svgTitle(title));
    {
        QPainter painter(&generator);
        replayRecording(painter, recording, area, true, {});
    }
    return bytes;
}

QString svgTitle(const QString& text)
{
    return xmlChars(text).toHtmlEscaped();
}

} // namespace draw
