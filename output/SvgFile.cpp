#include "output/SvgFile.h"

#include "draw/Surface.h"
#include "output/PngWriter.h"

#include <QFontMetricsF>

#include <charconv>
#include <cmath>

namespace output {

namespace {

class SvgTarget : public draw::ReplayTarget {
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
        m_out += draw::svgTitle(font.family()).toUtf8();
        m_out += '"';
        attribute("font-size", pixels);
        attribute("font-weight", font.weight());
        m_out += font.italic() ? " font-style=\"italic" : " font-style=\"normal";
        m_out += "\" xml:space=\"preserve\" fill=\"";
        paint(colour, "fill");
        m_out += '>';
        m_out += draw::svgTitle(text).toUtf8();
        m_out += "</text>\n";
    }

    void image(const QImage& image) override
    {
        const PngBytes png = encodePng(image);
        if (!png.error.isEmpty())
            return;
        m_out += "<image x=\"0\" y=\"0\"";
        attribute("width", image.width());
        attribute("height", image.height());
        m_out += " preserveAspectRatio=\"none\" xlink:href=\"data:image/png;base64,";
        m_out += png.bytes.toBase64();
        m_out += "\"/>\n";
    }

    void number(int value)
    {
        char digits[16];
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

QByteArray svgFile(const draw::Surface& surface, double moduleMm, QSizeF sizeMm,
                   const draw::Recolour& recolour)
{
    QByteArray out;
    out.reserve(4096);
    SvgTarget svg(out);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n<svg width=\"";
    out += millimetres(sizeMm.width());
    out += "mm\" height=\"";
    out += millimetres(sizeMm.height());
    // The view box in millimetres, so that coordinates outside the group read as sizes.
    out += "mm\" viewBox=\"0 0 ";
    svg.number(sizeMm.width());
    out += ' ';
    svg.number(sizeMm.height());
    out += "\"\n xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "version=\"1.2\" baseProfile=\"tiny\">\n<title>";
    out += draw::svgTitle(surface.description()).toUtf8();
    out += "</title>\n<g transform=\"scale(";
    svg.number(moduleMm);
    out += ")\">\n";
    const QSize pixels(surface.imageWidth(), surface.pixels().height());
    surface.replay(svg, QRect(QPoint(0, 0), pixels), recolour);
    out += "</g>\n</svg>\n";
    return out;
}

} // namespace output
