#include "linear/Code39Encoder.h"

#include <array>
#include <string_view>

namespace linear {

namespace {

constexpr std::string_view kAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%*";

// Bar, space, bar, ... nine elements; "1" wide. ANSI/AIM BC1 (Code 39) character set.
constexpr std::array<std::string_view, 44> kPatterns = {
    "000110100", // 0
    "100100001", // 1
    "001100001", // 2
    "101100000", // 3
    "000110001", // 4
    "100110000", // 5
    "001110000", // 6
    "000100101", // 7
    "100100100", // 8
    "001100100", // 9
    "100001001", // A
    "001001001", // B
    "101001000", // C
    "000011001", // D
    "100011000", // E
    "001011000", // F
    "000001101", // G
    "100001100", // H
    "001001100", // I
    "000011100", // J
    "100000011", // K
    "001000011", // L
    "101000010", // M
    "000010011", // N
    "100010010", // O
    "001010010", // P
    "000000111", // Q
    "100000110", // R
    "001000110", // S
    "000010110", // T
    "110000001", // U
    "011000001", // V
    "111000000", // W
    "010010001", // X
    "110010000", // Y
    "011010000", // Z
    "010000101", // -
    "110000100", // .
    "011000100", // space
    "010101000", // $
    "010100010", // /
    "010001010", // +
    "000101010", // %
    "010010100", // * start and stop, never data
};
static_assert(kPatterns.size() == kAlphabet.size());

constexpr bool threeWideEach()
{
    for (auto p : kPatterns) {
        int wide = 0;
        for (char c : p)
            wide += c == '1';
        if (p.size() != 9 || wide != 3)
            return false;
    }
    return true;
}
static_assert(threeWideEach(), "every Code 39 character has three wide elements of nine");

constexpr int kStartStop = 43;

int rowOf(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c == u'*' || c > 0x7F)
        return -1;
    const auto at = kAlphabet.find(static_cast<char>(c));
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

} // namespace

LinearSymbol encodeCode39(const QString& input, bool addCheck)
{
    LinearSymbol symbol;
    symbol.text = input.toUpper();
    std::string data;
    data.reserve(size_t(symbol.text.size()) * 10 + 20);
    int sum = 0;
    for (qsizetype i = 0; i < symbol.text.size(); ++i) {
        const int row = rowOf(symbol.text.at(i));
        if (row < 0) {
            symbol.error = invalidCharacterMessage(symbol.text, i);
            return symbol;
        }
        data += kPatterns[row];
        data += '0'; // narrow gap between characters
        sum += row;
    }
    if (addCheck) {
        const int c = sum % 43;
        data += kPatterns[c];
        data += '0';
        symbol.check = QChar(kAlphabet[c]);
    }
    symbol.elements.reserve(data.size() + 19);
    symbol.elements += kPatterns[kStartStop];
    symbol.elements += '0';
    symbol.elements += data;
    symbol.elements += kPatterns[kStartStop];
    return symbol;
}

} // namespace linear
