#include "ean/Ean.h"
#include "ean/EanModules.h"

#include "draw/Surface.h"

#include <array>
#include <string_view>

namespace ean {

namespace {

// Seven modules per digit, "1" dark. ISO/IEC 15420, tables of number sets A, B, C.
constexpr std::array<std::array<std::string_view, 10>, 3> kSets = {{
    // Set A (odd parity, left half)
    {"0001101", "0011001", "0010011", "0111101", "0100011", "0110001", "0101111", "0111011", "0110111",
     "0001011"},
    // Set B (even parity, left half)
    {"0100111", "0110011", "0011011", "0100001", "0011101", "0111001", "0000101", "0010001", "0001001",
     "0010111"},
    // Set C (right half)
    {"1110010", "1100110", "1101100", "1000010", "1011100", "1001110", "1010000", "1000100", "1001000",
     "1110100"},
}};

// The first digit of an EAN-13 code is carried by the sets of the left half:
// "0" set A, "1" set B. ISO/IEC 15420, table 7.
constexpr std::array<std::string_view, 10> kParity = {
    "000000", "001011", "001101", "001110", "010011", "011001", "011100", "010101", "010110", "011010",
};

constexpr std::string_view kEdgeGuard = "101";
constexpr std::string_view kCentreGuard = "01010";

constexpr int kFirstModuleX = 11;
constexpr int kBarTop = 5;
constexpr int kGuardBottom = 72;
constexpr int kDataBottom = 66;
constexpr int kDigitY = 66;

int digitAt(const QString& s, qsizetype i)
{
    return s.at(i).unicode() - u'0';
}

// Check digit where positions with the given parity (0 for odd, from 1) weigh 3.
int checkDigit(const QString& digits, int tripleParity)
{
    int sum = 0;
    for (qsizetype i = 0; i < digits.size(); ++i)
        sum += digitAt(digits, i) * ((i % 2 == tripleParity) ? 3 : 1);
    return (10 - sum % 10) % 10;
}

bool isGuardModule(size_t m, size_t count)
{
    const size_t centre = (count - 5) / 2;
    return m < 3 || m >= count - 3 || (m >= centre && m < centre + 5);
}

} // namespace

const char* eanPattern(int set, int digit)
{
    return kSets[size_t(set)][size_t(digit)].data();
}

bool isDigits(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < u'0' || c.unicode() > u'9')
            return false;
    return true;
}

std::optional<QString> completeCode(const QString& input)
{
    if ((input.size() != 12 && input.size() != 7) || !isDigits(input))
        return std::nullopt;
    // EAN-13 weighs the even positions 3, EAN-8 the odd ones: in both the digit
    // next to the check digit weighs 3.
    const int tripleParity = input.size() == 12 ? 1 : 0;
    return input + QChar(u'0' + checkDigit(input, tripleParity));
}

std::string eanModules(const QString& code)
{
    std::string modules;
    if ((code.size() != 13 && code.size() != 8) || !isDigits(code))
        return modules;
    const bool ean13 = code.size() == 13;
    const qsizetype half = ean13 ? 6 : 4;
    const qsizetype first = ean13 ? 1 : 0; // EAN-13's first digit has no bars
    const std::string_view parity = ean13 ? kParity[digitAt(code, 0)] : "0000";
    modules += kEdgeGuard;
    for (qsizetype i = 0; i < half; ++i)
        modules += kSets[parity[i] - '0'][digitAt(code, first + i)];
    modules += kCentreGuard;
    for (qsizetype i = 0; i < half; ++i)
        modules += kSets[2][digitAt(code, first + half + i)];
    modules += kEdgeGuard;
    return modules;
}

void DrawEan(draw::Surface& picEan, const QString& code)
{
    picEan.Cls();
    picEan.setBackColor(draw::kWhite);
    picEan.setFontSize(10);
    picEan.setDrawWidth(1);

    picEan.setDescription((code.size() == 13 ? QStringLiteral("EAN-13 ") : QStringLiteral("EAN-8 ")) + code);
    const std::string modules = eanModules(code);
    for (size_t m = 0; m < modules.size(); ++m) {
        if (modules[m] != '1')
            continue;
        const int x = kFirstModuleX + int(m);
        picEan.Line(x, kBarTop, x, isGuardModule(m, modules.size()) ? kGuardBottom : kDataBottom);
    }

    // Digits are printed as numbers: a blank for the sign, the digit, a blank.
    const auto printDigit = [&](double x, QChar digit) {
        picEan.setCurrentX(x);
        picEan.setCurrentY(kDigitY);
        picEan.Print(QStringLiteral(" %1 ").arg(digit));
    };
    const bool ean13 = code.size() == 13;
    const qsizetype half = ean13 ? 6 : 4;
    const qsizetype first = ean13 ? 1 : 0;
    if (ean13)
        printDigit(2, code.at(0));
    // One unit left of each digit's first module.
    for (qsizetype i = 0; i < half; ++i)
        printDigit(kFirstModuleX + 3 + 7 * i - 1, code.at(first + i));
    for (qsizetype i = 0; i < half; ++i)
        printDigit(kFirstModuleX + 3 + 7 * half + 5 + 7 * i - 1, code.at(first + half + i));
}

} // namespace ean
