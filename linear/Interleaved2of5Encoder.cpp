#include "linear/Interleaved2of5Encoder.h"

#include <array>
#include <string_view>

namespace linear {

namespace {

// Five elements per digit, two of them wide. ANSI/AIM BC2 (Interleaved 2 of 5).
constexpr std::array<std::string_view, 10> kDigits = {
    "00110", // 0
    "10001", // 1
    "01001", // 2
    "11000", // 3
    "00101", // 4
    "10100", // 5
    "01100", // 6
    "00011", // 7
    "10010", // 8
    "01010", // 9
};
constexpr std::string_view kStart = "0000"; // narrow bar, space, bar, space
constexpr std::string_view kStop = "100";   // wide bar, narrow space, narrow bar

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

LinearSymbol encodeInterleaved2of5(const QString& input, bool addCheck)
{
    LinearSymbol symbol;
    QString data = input;
    // Pairs need an even count once the check digit is in.
    if (data.size() % 2 == 1 && !addCheck)
        data.prepend(u'0');
    if (addCheck && data.size() % 2 == 0)
        data.prepend(u'0');

    int sum = 0;
    for (qsizetype i = 0; i < data.size(); ++i) {
        if (!isDigit(data.at(i))) {
            symbol.error = invalidCharacterMessage(data, i);
            return symbol;
        }
        const int digit = data.at(i).unicode() - u'0';
        sum += (i % 2 == 0) ? 3 * digit : digit;
    }
    if (addCheck)
        data.append(QChar(u'0' + (10 - sum % 10) % 10));

    symbol.text = data;
    symbol.elements.reserve(size_t(data.size()) * 5 + kStart.size() + kStop.size());
    symbol.elements += kStart;
    for (qsizetype i = 0; i + 1 < data.size(); i += 2) {
        // The first digit of a pair is carried by the bars, the second by the spaces.
        const auto bars = kDigits[data.at(i).unicode() - u'0'];
        const auto spaces = kDigits[data.at(i + 1).unicode() - u'0'];
        for (size_t j = 0; j < 5; ++j) {
            symbol.elements += bars[j];
            symbol.elements += spaces[j];
        }
    }
    symbol.elements += kStop;
    return symbol;
}

} // namespace linear
