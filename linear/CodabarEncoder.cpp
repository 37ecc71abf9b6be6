#include "linear/CodabarEncoder.h"

#include <array>
#include <string_view>

namespace linear {

namespace {

// Bar, space, bar, space, bar, space, bar; "1" wide. ANSI/AIM BC3 (Codabar).
constexpr std::array<std::string_view, 20> kPatterns = {
    "0000011", // 0
    "0000110", // 1
    "0001001", // 2
    "1100000", // 3
    "0010010", // 4
    "1000010", // 5
    "0100001", // 6
    "0100100", // 7
    "0110000", // 8
    "1001000", // 9
    "0001100", // -
    "0011000", // $
    "1000101", // :
    "1010001", // /
    "1010100", // .
    "0010101", // +
    "0011010", // a (A) start/stop
    "0101001", // b (B) start/stop
    "0001011", // c (C) start/stop
    "0001110", // d (D) start/stop
};
constexpr int kStartStopA = 16;

// The start and stop characters are the program's own; one typed inside the
// data would end the symbol early for every decoder, so only these are data.
int valueOf(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    switch (c) {
    case u'-': return 10;
    case u'$': return 11;
    case u':': return 12;
    case u'/': return 13;
    case u'.': return 14;
    case u'+': return 15;
    default: return -1;
    }
}

} // namespace

LinearSymbol encodeCodabar(const QString& input)
{
    LinearSymbol symbol;
    symbol.elements.reserve(size_t(input.size() + 2) * 8);
    symbol.elements += kPatterns[kStartStopA];
    symbol.elements += '0';
    for (qsizetype i = 0; i < input.size(); ++i) {
        const int value = valueOf(input.at(i));
        if (value < 0) {
            symbol.error = invalidCharacterMessage(input, i);
            symbol.elements.clear();
            return symbol;
        }
        symbol.elements += kPatterns[value];
        symbol.elements += '0';
    }
    symbol.elements += kPatterns[kStartStopA];
    symbol.text = input;
    return symbol;
}

} // namespace linear
