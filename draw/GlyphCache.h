#pragma once

#include "draw/RasterImage.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

#include <array>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <vector>

namespace draw {

// Text rasterised once per font and kept: labels change with every keystroke
// but are made of a few dozen glyphs.
class GlyphCache {
  public:
    struct Sprite {
        Ink ink;       // cropped to where there is ink
        QPoint offset; // where the crop starts within the text's box
        int advance = 0;
        double exactAdvance = 0;
        double lineHeight = 0;
    };

    GlyphCache();
    void setFont(const QFont& font);

    // Sets the text from rasterised pieces starting at x = px: `reach` learns
    // how far right the ink goes before `place(sprite, x)` puts each piece.
    // Returns the width. The sprites stay valid until the next
    // call or change of font, or while held, until the hold ends.
    template <typename Place, typename Reach>
    int setText(const QString& text, int px, Place&& place, Reach&& reach);

    // While held, no sprite is dropped, so that several texts can be set
    // before any of them is blended.
    void hold(bool held);

  private:
    static constexpr qsizetype kMaxSprites = 256;
    static constexpr qsizetype kMaxSpriteText = 256; // longer texts go glyph by glyph
    static constexpr qsizetype kWholeText = 4;       // shorter ones are kept whole
    static constexpr size_t kMaxFaces = 32;

    // The sprites of one font. Single ASCII characters stay for the life of
    // the face (they are looked up by index, and held by pointer while a long
    // text is set); whole texts are dropped when there are too many.
    struct Face {
        QFont font;
        std::array<std::unique_ptr<Sprite>, 128> ascii;
        // Node-based, so that a sprite stays where it is while others are added.
        std::unordered_map<quint64, Sprite> shortAscii; // up to kWholeText characters, packed
        // The short texts last found, by a hash of their key: a symbol's
        // digits are found without a search.
        struct Recent {
            quint64 key = 0;
            const Sprite* sprite = nullptr;
        };
        std::array<Recent, 64> recent;
        std::unordered_map<QString, Sprite> texts;
    };

    Sprite rasterise(const QString& text) const;
    // A text kept whole, found by the text itself; a short plain one is found
    // by its key instead (shortText).
    const Sprite& whole(const QString& text);
    const Sprite& shortText(quint64 key, const QString& text);
    const Sprite& ascii(char16_t c);
    static int roundToInt(double v) { return static_cast<int>(v >= 0 ? v + 0.5 : v - 0.5); }

    std::unordered_map<QString, std::unique_ptr<Face>> m_faces;
    Face* m_face = nullptr;
    QImage m_device; // 96 dots per inch, as the surface's image
    std::vector<const Sprite*> m_glyphs;
    std::unordered_map<char32_t, Sprite> m_other;
    bool m_held = false;
};

// Labels are printable ASCII: set glyph by glyph from rasterised glyphs,
// without shaping, they cost a fraction of a layout. Short texts such as the EAN
// digits, and other text up to kMaxSpriteText characters (which may need
// shaping), are rasterised as one piece; longer text goes glyph by glyph too.
template <typename Place, typename Reach>
int GlyphCache::setText(const QString& text, int px, Place&& place, Reach&& reach)
{
    // Up to four ASCII characters and their number fit one integer key,
    // made in the same pass that learns whether the text is plain.
    bool plain = true;
    quint64 key = quint64(text.size());
    for (const QChar c : text) {
        plain = plain && c.unicode() >= 0x20 && c.unicode() < 0x7F;
        key = (key << 8) | c.unicode();
    }
    if (text.size() <= kWholeText || (!plain && text.size() <= kMaxSpriteText)) {
        const Sprite& ink = plain && text.size() <= kWholeText ? shortText(key, text) : whole(text);
        reach(px + ink.advance + 1);
        place(ink, px);
        return ink.advance + 1;
    }
    // Glyphs outside ASCII are copied: the whole-text cache they come from may
    // be emptied while the rest of the text is looked up.
    std::unordered_map<char32_t, Sprite>& other = m_other;
    if (!m_held)
        other.clear();
    m_glyphs.clear();
    m_glyphs.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const char32_t code =
            n == 2 ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
        if (code < 128) {
            m_glyphs.push_back(&ascii(char16_t(code)));
        } else {
            auto found = other.find(code);
            if (found == other.end())
                found = other.emplace(code, whole(text.mid(i, n))).first;
            m_glyphs.push_back(&found->second);
        }
        i += n - 1;
    }
    double x = px;
    double right = px;
    for (const Sprite* ink : m_glyphs) {
        right = x + ink->advance + 1;
        x += ink->exactAdvance;
    }
    reach(int(std::ceil(right)));
    x = px;
    for (const Sprite* ink : m_glyphs) {
        place(*ink, roundToInt(x));
        x += ink->exactAdvance;
    }
    return int(std::ceil(right)) - px;
}

} // namespace draw
