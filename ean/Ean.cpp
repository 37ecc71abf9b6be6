#include "ean/Ean.h"

#include "draw/Surface.h"

#include <QStringBuilder>

#include <algorithm>
#include <array>
#include <vector>

namespace ean {

namespace {

constexpr int kFirstModuleX = 11;
constexpr int kBarTop = 5;
constexpr int kGuardBottom = 72;
constexpr int kDataBottom = 66;
constexpr int kDigitY = 66;

// The guards reach below the digits: both edges and the centre.
std::array<ModuleRun, 3> guardRuns(int count)
{
    return {{{0, 3}, {(count - 5) / 2, 5}, {count - 3, 3}}};
}

QString spaced(QChar digit)
{
    const QChar text[] = {QChar(u' '), digit, QChar(u' ')};
    return QString(text, 3);
}

} // namespace

void drawModules(draw::Surface& picture, std::string_view modules, const ModuleBars& bars)
{
    // Modules of one colour and one length are one bar, drawn by one call.
    // Kept between redraws: drawn on every keystroke.
    thread_local std::vector<draw::Surface::Bar> lines;
    lines.clear();
    const int size = int(modules.size());
    const std::span<const ModuleRun> runs = bars.longRuns;
    size_t run = 0;
    int m = 0;
    while (m < size) {
        // The stretch from m to `stop` has one length: long runs that touch
        // make one stretch.
        while (run < runs.size() && m >= runs[run].first + runs[run].count)
            ++run;
        const bool longBar = run < runs.size() && m >= runs[run].first;
        int stop = size;
        if (longBar) {
            stop = runs[run].first + runs[run].count;
            for (size_t next = run + 1; next < runs.size() && runs[next].first == stop; ++next)
                stop = runs[next].first + runs[next].count;
        } else if (run < runs.size()) {
            stop = runs[run].first;
        }
        stop = std::min(stop, size);
        const int bottom = longBar ? bars.longBottom : bars.shortBottom;
        while (m < stop) {
            const bool dark = modules[size_t(m)] == '1';
            int end = m + 1;
            while (end < stop && (modules[size_t(end)] == '1') == dark)
                ++end;
            if (dark || bars.light)
                lines.push_back({bars.firstX + m, end - m, bottom, dark ? bars.dark : *bars.light});
            m = end;
        }
    }
    picture.Bars(bars.top, lines);
}

void DrawEan(draw::Surface& picEan, const QString& code)
{
    picEan.Cls();
    picEan.setBackColor(draw::kWhite);
    picEan.setFontSize(10);
    picEan.setDrawWidth(1);

    picEan.setDescription((code.size() == 13 ? u"EAN-13 " : u"EAN-8 ") % code);
    const std::string modules = eanModules(code);
    const std::array<ModuleRun, 3> guards = guardRuns(int(modules.size()));
    drawModules(picEan, modules,
                {.firstX = kFirstModuleX,
                 .top = kBarTop,
                 .shortBottom = kDataBottom,
                 .longBottom = kGuardBottom,
                 .longRuns = guards,
                 .dark = picEan.ForeColor(),
                 .light = std::nullopt});

    // Digits are printed as numbers: a blank for the sign, the digit, a blank.
    // The ten texts are made once, not formatted on every redraw, over static
    // characters: a copy (the recording keeps one) counts no references.
    static constexpr char16_t kSpaced[10][3] = {
        {u' ', u'0', u' '}, {u' ', u'1', u' '}, {u' ', u'2', u' '}, {u' ', u'3', u' '}, {u' ', u'4', u' '},
        {u' ', u'5', u' '}, {u' ', u'6', u' '}, {u' ', u'7', u' '}, {u' ', u'8', u' '}, {u' ', u'9', u' '}};
    static const std::array<QString, 10> kDigitTexts = [] {
        std::array<QString, 10> texts;
        for (size_t d = 0; d < 10; ++d)
            texts[d] = QString::fromRawData(reinterpret_cast<const QChar*>(kSpaced[d]), 3);
        return texts;
    }();
    const auto digitText = [&](qsizetype i) -> const QString* {
        const char16_t d = code.at(i).unicode() - u'0';
        return d < 10 ? &kDigitTexts[d] : nullptr;
    };
    const bool ean13 = code.size() == 13;
    const qsizetype half = ean13 ? 6 : 4;
    const qsizetype first = ean13 ? 1 : 0;
    std::array<QString, 13> others; // any other character, spaced the same way
    std::array<draw::Surface::Caption, 13> captions;
    size_t n = 0;
    const auto addDigit = [&](double x, qsizetype i) {
        const QString* text = digitText(i);
        if (!text) {
            others[n] = spaced(code.at(i));
            text = &others[n];
        }
        captions[n++] = {x, double(kDigitY), text};
    };
    if (ean13)
        addDigit(2, 0);
    // One unit left of each digit's first module.
    for (qsizetype i = 0; i < half; ++i)
        addDigit(kFirstModuleX + 3 + 7 * i - 1, first + i);
    for (qsizetype i = 0; i < half; ++i)
        addDigit(kFirstModuleX + 3 + 7 * half + 5 + 7 * i - 1, first + half + i);
    picEan.PrintEach(std::span<const draw::Surface::Caption>(captions.data(), n));
}

} // namespace ean
