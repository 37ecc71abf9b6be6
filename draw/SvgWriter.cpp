#include "draw/SvgWriter.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>

#include <charconv>
#include <cmath>

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

class SvgTarget : public ReplayTarget {
  public:
    explicit SvgTarget(QByteArray& out) : m_out(out) {}

    void fill(const QRect& rect, const QColor& colour) override
    {
        m_out += "<rect";
        attribute("x", rect.x());
        attribute("y", rect.y());
        attribute("width", rect.width());
        attribute("height", rect.height());
        m_out += " fill=\"";
        paint(colour, "fill");
        m_out += "/>\n";
    }

    void line(const QLine& line, const QColor& colour, int width) override
    {
        // The same coordinates a painter is given: its pen is centred on them.
        m_out += "<line";
        attribute("x1", line.x1());
        attribute("y1", line.y1());
        attribute("x2", line.x2());
        attribute("y2", line.y2());
        attribute("stroke-width", width);
        m_out += " stroke-linecap=\"square\" stroke=\"";
        paint(colour, "stroke");
        m_out += "/>\n";
    }

    void text(QPoint topLeft, const QString& text, const QFont& font, const QColor& colour) override
    {
        // Point sizes are meant at 96 dots per inch: one user unit is one pixel there.
        const double pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * 96.0 / 72.0;
        m_out += "<text";
        attribute("x", topLeft.x());
        attribute("y", topLeft.y() + ascent(font));
        m_out += " font-family=\"";
        m_out += svgText(font.family()).toUtf8();
        m_out += '"';
        attribute("font-size", pixels);
        attribute("font-weight", font.weight());
        m_out += font.italic() ? " font-style=\"italic" : " font-style=\"normal";
        m_out += "\" xml:space=\"preserve\" fill=\"";
        paint(colour, "fill");
        m_out += '>';
        m_out += svgText(text).toUtf8();
        m_out += "</text>\n";
    }

    void image(const QImage& image) override
    {
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            return;
        m_out += "<image x=\"0\" y=\"0\"";
        attribute("width", image.width());
        attribute("height", image.height());
        m_out += " preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64,";
        m_out += png.toBase64();
        m_out += "\"/>\n";
    }

    void polygon(std::span<const QPointF> corners, const QColor& colour) override
    {
        m_out += "<polygon points=\"";
        for (size_t i = 0; i < corners.size(); ++i) {
            if (i > 0)
                m_out += ' ';
            number(float(corners[i].x()));
            m_out += ',';
            number(float(corners[i].y()));
        }
        m_out += "\" fill=\"";
        paint(colour, "fill");
        m_out += "/>\n";
    }

    void ellipse(const QRectF& bounds, double stroke, const QColor& colour) override
    {
        const bool circle = bounds.width() == bounds.height();
        m_out += circle ? "<circle" : "<ellipse";
        attribute("cx", float(bounds.center().x()));
        attribute("cy", float(bounds.center().y()));
        if (circle) {
            attribute("r", float(bounds.width() / 2));
        } else {
            attribute("rx", float(bounds.width() / 2));
            attribute("ry", float(bounds.height() / 2));
        }
        if (stroke > 0) {
            attribute("stroke-width", float(stroke));
            m_out += " fill=\"none\" stroke=\"";
            paint(colour, "stroke");
        } else {
            m_out += " fill=\"";
            paint(colour, "fill");
        }
        m_out += "/>\n";
    }

    void number(int value)
    {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_out.append(digits, end - digits);
    }
    // Shapes between pixels are recorded in single precision: written as
    // such, 0.8 stays 0.8.
    void number(float value)
    {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_out.append(digits, end - digits);
    }
    // The shortest form that reads back as the same double: exact, and short
    // for the whole and half values most coordinates are.
    void number(double value)
    {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        m_out.append(digits, end - digits);
    }

  private:
    // ` name="value"`, for any number number() writes.
    template <typename Number>
    void attribute(const char* name, Number value)
    {
        m_out += ' ';
        m_out += name;
        m_out += "=\"";
        number(value);
        m_out += '"';
    }

    // "#rrggbb" and its opacity where it has one; closes the attribute.
    void paint(const QColor& colour, const char* attribute)
    {
        static constexpr char kHex[] = "0123456789abcdef";
        const QRgb rgb = colour.rgba();
        const char hex[7] = {'#',
                             kHex[qRed(rgb) >> 4],
                             kHex[qRed(rgb) & 15],
                             kHex[qGreen(rgb) >> 4],
                             kHex[qGreen(rgb) & 15],
                             kHex[qBlue(rgb) >> 4],
                             kHex[qBlue(rgb) & 15]};
        m_out.append(hex, 7);
        m_out += '"';
        if (qAlpha(rgb) != 255) {
            m_out += ' ';
            m_out += attribute;
            m_out += "-opacity=\"";
            number(std::round(qAlpha(rgb) / 255.0 * 1000) / 1000);
            m_out += '"';
        }
    }

    // The baseline below the top of the text, as a painter on a 96 dpi device places it.
    static double ascent(const QFont& font)
    {
        thread_local const QImage device(1, 1, QImage::Format_Mono); // 96 dots per inch
        return QFontMetricsF(font, &device).ascent();
    }

    QByteArray& m_out;
};

// Millimetres to a ten-thousandth, without trailing zeros: sizes a person reads.
QByteArray millimetres(double mm)
{
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, mm, std::chars_format::fixed, 4).ptr;
    QByteArray text(digits, end - digits);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text;
}

} // namespace

QString svgText(const QString& text)
{
    return xmlChars(text).toHtmlEscaped();
}

QByteArray writeSvg(const Recording& recording, const QString& title, const SvgPage& page,
                    const Recolour& recolour)
{
    QByteArray out;
    out.reserve(4096);
    SvgTarget svg(out);
    const bool mm = QByteArrayView(page.unit) == "mm";
    const auto length = [&](double value) {
        if (mm)
            out += millimetres(value);
        else
            svg.number(value);
        out += page.unit;
    };
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg width=\"";
    length(page.size.width());
    out += "\" height=\"";
    length(page.size.height());
    // The view box in the page's units, so that coordinates outside the group read as sizes.
    out += "\" viewBox=\"0 0 ";
    svg.number(page.size.width());
    out += ' ';
    svg.number(page.size.height());
    out += "\"\n xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "version=\"1.2\" baseProfile=\"tiny\">\n<title>";
    out += svgText(title).toUtf8();
    out += "</title>\n<g transform=\"scale(";
    svg.number(page.scale);
    out += ")\">\n";
    replayRecording(svg, recording, QRect(QPoint(0, 0), recording.size), recolour);
    out += "</g>\n</svg>\n";
    return out;
}

} // namespace draw
