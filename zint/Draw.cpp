// libzint's vector layout drawn on the program's own surface, one surface
// pixel a module: every output path replays it from there.
#include "draw/Surface.h"
#include "zint/Encode.h"

#include <zint.h>

#include <QFontMetricsF>
#include <QImage>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace zintsym {

namespace {

// libzint's colour codes: 0 the background, -1 (and 7, black) the ink; the
// rest are Ultracode's colours, which a grey picture keeps as their greys.
draw::Colour colourOf(int code)
{
    switch (code) {
    case 0:
    case 8: return draw::kWhite;
    case 1: return 0xFFFF00; // cyan, as 0x00BBGGRR
    case 2: return 0xFF0000; // blue
    case 3: return 0xFF00FF; // magenta
    case 4: return 0x0000FF; // red
    case 5: return 0x00FFFF; // yellow
    case 6: return 0x00FF00; // green
    default: return draw::kBlack;
    }
}

int whole(double v)
{
    return int(std::lround(v));
}

// The baseline below a text's top, as the surface's texts are set at 96 dots
// per inch.
double ascent(const QFont& font)
{
    thread_local const QImage device(1, 1, QImage::Format_Mono);
    return QFontMetricsF(font, &device).ascent();
}

void drawRectangles(draw::Surface& surface, const zint_vector_rect* rect)
{
    // A row of modules (or a linear symbol's bars) shares its top: one call each.
    std::vector<draw::Surface::Bar> bars;
    int top = 0;
    const auto send = [&] {
        if (!bars.empty())
            surface.Bars(top, bars);
        bars.clear();
    };
    for (; rect; rect = rect->next) {
        const int y1 = whole(rect->y);
        const int y2 = whole(rect->y + rect->height) - 1;
        const int x = whole(rect->x);
        const int count = whole(rect->x + rect->width) - x;
        if (count <= 0 || y2 < y1)
            continue;
        if (y1 != top)
            send();
        top = y1;
        bars.push_back({x, count, y2, colourOf(rect->colour)});
    }
    send();
}

// Whether a code of libzint's byte-a-pixel bitmap is ink: the foreground and
// the colours dark in red, as a grey picture of its colours would have them.
bool isInk(unsigned char code)
{
    switch (code) {
    case '1':
    case 'K':
    case 'C':
    case 'B':
    case 'G': return true;
    default: return false;
    }
}

// The bitmap at one pixel a module, a code a pixel: runs of ink in each row
// as bars, a run of identical rows (a PDF417 row, a postal bar's extent) as
// one call.
void drawBitmap(draw::Surface& surface, const zint_symbol& symbol)
{
    const int width = symbol.bitmap_width;
    const int height = symbol.bitmap_height;
    const auto row = [&](int y) { return symbol.bitmap + size_t(y) * size_t(width); };
    std::vector<draw::Surface::Bar> bars;
    for (int y = 0; y < height;) {
        int last = y;
        while (last + 1 < height && std::memcmp(row(y), row(last + 1), size_t(width)) == 0)
            ++last;
        const unsigned char* pixels = row(y);
        bars.clear();
        for (int x = 0; x < width;) {
            if (!isInk(pixels[x])) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && isInk(pixels[x]))
                ++x;
            bars.push_back({start, x - start, last, draw::kBlack});
        }
        if (!bars.empty())
            surface.Bars(y, bars);
        y = last + 1;
    }
}

// The module rows with the quiet zone around them: runs of dark modules in
// each row as bars, rows alike one after another as one call, exactly as
// drawBitmap draws the bitmap libzint would have made of them.
void drawGrid(draw::Surface& surface, const zint_symbol& symbol, int quietZone, const std::vector<int>& heights)
{
    // A row's modules are bits, the first in the lowest bit of the first
    // byte: put together into words (in a register: added to in memory byte
    // by byte, a word waits on its own store) they are in order from each
    // word's lowest bit.
    constexpr int kWordBits = 64;
    constexpr size_t kRowBytes = std::size(decltype(symbol.encoded_data){}[0]);
    using Row = std::array<std::uint64_t, (kRowBytes + 7) / 8>;
    const int width = symbol.width;
    if (width <= 0)
        return;
    const size_t used = std::min(size_t(width + 7) / 8, kRowBytes);
    const std::uint64_t lastMask =
        width % kWordBits ? (std::uint64_t(1) << (width % kWordBits)) - 1 : ~std::uint64_t(0);
    const size_t words = (used + 7) / 8;
    const auto load = [&](int r, Row& row) {
        const unsigned char* bytes = symbol.encoded_data[r];
        for (size_t w = 0; w < words; ++w) {
            std::uint64_t word = 0;
            const size_t end = std::min(used, 8 * w + 8);
            for (size_t i = 8 * w; i < end; ++i)
                word |= std::uint64_t(bytes[i]) << (8 * (i % 8));
            row[w] = word;
        }
        row[words - 1] &= lastMask;
    };
    Row rows[2];
    Row* current = &rows[0];
    Row* next = &rows[1];
    std::vector<draw::Surface::Bar> bars;
    bars.reserve(size_t(width / 2 + 1));
    std::vector<int> edges;
    edges.reserve(size_t(width + 1));
    int top = quietZone;
    if (symbol.rows > 0)
        load(0, *current);
    for (int r = 0; r < symbol.rows;) {
        int bottom = top + heights[size_t(r)] - 1;
        int last = r;
        while (last + 1 < symbol.rows) {
            load(last + 1, *next);
            if (!std::equal(current->begin(), current->begin() + qsizetype(words), next->begin()))
                break;
            ++last;
            bottom += heights[size_t(last)];
        }
        const Row& modules = *current;
        // Where the modules change from light to dark or back, a word at a
        // time (the module before the first is light): a run of dark ones
        // between each pair of changes. Taken in pairs rather than run by
        // run, which made every run's length a branch the processor could
        // not foresee.
        edges.clear();
        std::uint64_t before = 0;
        for (size_t w = 0; w < words; ++w) {
            const std::uint64_t word = modules[w];
            for (std::uint64_t changes = word ^ ((word << 1) | before); changes; changes &= changes - 1)
                edges.push_back(int(w) * kWordBits + std::countr_zero(changes));
            before = word >> (kWordBits - 1);
        }
        // Bits beyond the width are light, so only a run that reaches the
        // end of the last word is left open.
        if (edges.size() % 2)
            edges.push_back(width);
        bars.clear();
        for (size_t i = 0; i < edges.size(); i += 2)
            bars.push_back({quietZone + edges[i], edges[i + 1] - edges[i], bottom, draw::kBlack});
        if (!bars.empty())
            surface.Bars(top, bars);
        top = bottom + 1;
        r = last + 1;
        // The row that differed is loaded already.
        std::swap(current, next);
    }
}

void drawHexagons(draw::Surface& surface, const zint_vector_hexagon* hex)
{
    // Pointed at top and bottom unless turned a quarter.
    for (; hex; hex = hex->next) {
        const double r = hex->diameter / 2;
        const double h = r * std::sqrt(3.0) / 2;
        const bool upright = hex->rotation == 0 || hex->rotation == 180;
        const QPointF c(hex->x, hex->y);
        std::array<QPointF, 6> corners;
        if (upright)
            corners = {c + QPointF(0, r),  c + QPointF(h, r / 2),   c + QPointF(h, -r / 2),
                       c + QPointF(0, -r), c + QPointF(-h, -r / 2), c + QPointF(-h, r / 2)};
        else
            corners = {c + QPointF(r, 0),  c + QPointF(r / 2, h),   c + QPointF(-r / 2, h),
                       c + QPointF(-r, 0), c + QPointF(-r / 2, -h), c + QPointF(r / 2, -h)};
        surface.Polygon(corners, draw::kBlack);
    }
}

void drawCircles(draw::Surface& surface, const zint_vector_circle* circle)
{
    for (; circle; circle = circle->next) {
        const double r = circle->diameter / 2;
        surface.Ellipse(QPointF(circle->x, circle->y), r, r, circle->width,
                        circle->colour ? draw::kWhite : draw::kBlack);
    }
}

void drawTexts(draw::Surface& surface, const zint_vector_string* string)
{
    // Each text at libzint's size (its height in modules), its baseline where
    // libzint puts it, centred, left- or right-aligned on its x as it says.
    for (; string; string = string->next) {
        const QString text = QString::fromUtf8(reinterpret_cast<const char*>(string->text));
        surface.setFontSize(string->fsize * 72.0 / 96.0);
        const int width = surface.textWidth(text);
        double left = string->x - width / 2.0;
        if (string->halign == 1)
            left = string->x;
        else if (string->halign == 2)
            left = string->x - width;
        surface.setCurrentX(left);
        surface.setCurrentY(string->y - ascent(surface.Font()));
        surface.Print(text);
    }
}

} // namespace

void drawEncoding(draw::Surface& surface, const Encoding& encoding)
{
    const zint_symbol& symbol = *encoding.symbol;
    // The picture is the symbol and its quiet zones, no more: the surface is
    // sized to it before anything is drawn.
    QSize size;
    switch (encoding.layout) {
    case Layout::Grid: {
        int rows = 0;
        for (int h : encoding.rowHeights)
            rows += h;
        size = QSize(symbol.width + 2 * encoding.quietZone, rows + 2 * encoding.quietZone);
        break;
    }
    case Layout::Bitmap: size = QSize(symbol.bitmap_width, symbol.bitmap_height); break;
    case Layout::Vector:
        size = QSize(int(std::ceil(symbol.vector->width - 1e-6)), int(std::ceil(symbol.vector->height - 1e-6)));
        break;
    }
    size = size.expandedTo(QSize(1, 1));
    surface.setSize(size);
    surface.setFillSolid(false);
    surface.Cls();
    surface.extendTo(size.width());
    switch (encoding.layout) {
    case Layout::Grid: drawGrid(surface, symbol, encoding.quietZone, encoding.rowHeights); break;
    case Layout::Bitmap: drawBitmap(surface, symbol); break;
    case Layout::Vector:
        drawRectangles(surface, symbol.vector->rectangles);
        drawHexagons(surface, symbol.vector->hexagons);
        drawCircles(surface, symbol.vector->circles);
        drawTexts(surface, symbol.vector->strings);
        break;
    }
    surface.setDescription(encoding.reading);
}

Drawn draw(draw::Surface& surface, const Kind& kind, const QString& data, const Options& options)
{
    const Encoding encoding = encode(kind, data, options);
    if (!encoding.ok())
        return {encoding.error, {}};
    drawEncoding(surface, encoding);
    return {{}, encoding.reading};
}

} // namespace zintsym
