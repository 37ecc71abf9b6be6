#include "modUPC/UpcModules.h"

#include "ean/EanEncoder.h"

#include <algorithm>
#include <array>

namespace modUPC {

namespace {

int digitValue(const QString& caption)
{
    if (caption.size() == 1 && caption.at(0).unicode() >= u'0' && caption.at(0).unicode() <= u'9')
        return caption.at(0).unicode() - u'0';
    return -1;
}

// The character at i as a string of its own. Every redraw needs twelve:
// ASCII ones are made once and shared.
QString characterAt(const QString& text, qsizetype i)
{
    // Over static characters: a copy (the recording keeps one) counts no references.
    static constexpr std::array<char16_t, 128> kCharacters = [] {
        std::array<char16_t, 128> all{};
        for (char16_t c = 0; c < 128; ++c)
            all[c] = c;
        return all;
    }();
    static const std::array<QString, 128> kAscii = [] {
        std::array<QString, 128> all;
        for (size_t c = 0; c < 128; ++c)
            all[c] = QString::fromRawData(reinterpret_cast<const QChar*>(&kCharacters[c]), 1);
        return all;
    }();
    const char16_t c = text.at(i).unicode();
    return c < 128 ? kAscii[c] : text.mid(i, 1);
}

} // namespace

std::array<QString, 12> upcCaptions(const QString& text)
{
    std::array<QString, 12> captions;
    for (qsizetype k = 1; k <= 12; ++k) {
        const qsizetype last = std::min(k, text.size());
        if (last > 0)
            captions[k - 1] = characterAt(text, last - 1);
    }
    return captions;
}

std::string upcModules(const std::array<QString, 12>& captions)
{
    // Each half keeps its own table, so the digit carried over a caption that
    // is not one is drawn with the set of the caption's half.
    std::array<int, 12> digits{};
    int digit = 0;
    for (size_t position = 0; position < 12; ++position) {
        if (const int value = digitValue(captions[position]); value >= 0)
            digit = value;
        digits[position] = digit;
    }
    return ean::upcaModules(digits);
}

} // namespace modUPC
