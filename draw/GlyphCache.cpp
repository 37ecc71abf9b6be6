#include "draw/GlyphCache.h"

#include <QPainter>
#include <QTextLayout>

namespace draw {

namespace {
constexpr int kDotsPerMeter = 3780;
} // namespace

GlyphCache::GlyphCache() : m_device(1, 1, QImage::Format_Grayscale8)
{
    m_device.setDotsPerMeterX(kDotsPerMeter);
    m_device.setDotsPerMeterY(kDotsPerMeter);
}

void GlyphCache::setFont(const QFont& font)
{
    const QString key = font.key();
    auto found = m_faces.find(key);
    if (found == m_faces.end()) {
        // Only here, between texts, may faces go: nothing points into them now.
        if (m_faces.size() >= kMaxFaces)
            m_faces.clear();
        found = m_faces.emplace(key, std::make_unique<Face>()).first;
        found->second->font = font;
    }
    m_face = found->second.get();
}

GlyphCache::Sprite GlyphCache::rasterise(const QString& text) const
{
    QTextLayout layout(text, m_face->font, const_cast<QImage*>(&m_device));
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    Sprite sprite;
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
    sprite.ink.coverage = box.isEmpty() ? QImage() : coverage.copy(box);
    return sprite;
}

const GlyphCache::Sprite& GlyphCache::ascii(char16_t c)
{
    std::unique_ptr<Sprite>& slot = m_face->ascii[c];
    if (!slot)
        slot = std::make_unique<Sprite>(rasterise(QString(QChar(c))));
    return *slot;
}

const GlyphCache::Sprite& GlyphCache::whole(const QString& text)
{
    if (const auto found = m_face->texts.find(text); found != m_face->texts.end())
        return found->second;
    if (m_face->texts.size() >= size_t(kMaxSprites) && !m_held)
        m_face->texts.clear();
    return m_face->texts.emplace(text, rasterise(text)).first->second;
}

const GlyphCache::Sprite& GlyphCache::shortText(quint64 key, const QString& text)
{
    Face::Recent& recent = m_face->recent[(key * 0x9E3779B97F4A7C15ull) >> 58];
    if (recent.sprite && recent.key == key)
        return *recent.sprite;
    auto found = m_face->shortAscii.find(key);
    if (found == m_face->shortAscii.end()) {
        if (m_face->shortAscii.size() >= size_t(kMaxSprites) && !m_held) {
            m_face->shortAscii.clear();
            m_face->recent.fill({});
        }
        found = m_face->shortAscii.emplace(key, rasterise(text)).first;
    }
    recent = {key, &found->second};
    return found->second;
}

void GlyphCache::hold(bool held)
{
    if (held && !m_held)
        m_other.clear();
    m_held = held;
}

} // namespace draw
