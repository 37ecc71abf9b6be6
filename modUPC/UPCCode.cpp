#include "modUPC/UPCCode.h"

#include "draw/Surface.h"

#include <algorithm>
#include <string_view>

namespace upc {

namespace {

// Left-hand (odd parity) digits, seven modules each, "1" dark. GS1 General
// Specifications 5.2.1.2; the right-hand set is the element-wise complement.
constexpr std::array<std::string_view, 10> UPCLeftCodes = {
    "0001101", "0011001", "0010011", "0111101", "0100011",
    "0110001", "0101111", "0111011", "0110111", "0001011",
};
constexpr std::array<std::string_view, 10> UPCRightCodes = {
    "1110010", "1100110", "1101100", "1000010", "1011100",
    "1001110", "1010000", "1000100", "1001000", "1110100",
};

constexpr bool complements()
{
    for (size_t d = 0; d < 10; ++d)
        for (size_t m = 0; m < 7; ++m)
            if (UPCLeftCodes[d][m] == UPCRightCodes[d][m])
                return false;
    return true;
}
static_assert(complements(), "the right-hand set is the complement of the left-hand set");

constexpr std::string_view kEdgeGuard = "101";
constexpr std::string_view kCentreGuard = "01010";

// Where each position prints its character and where its modules start.
constexpr std::array<int, 12> kTextX = {10, 32, 38, 44, 50, 56, 71, 78, 84, 90, 96, 118};
constexpr std::array<int, 12> kModuleX = {23, 30, 37, 44, 51, 58, 70, 77, 84, 91, 98, 105};
constexpr int kTextY = 42;
constexpr int kBarTop = 6;
constexpr int kLongBottom = 50;
constexpr int kShortBottom = 42;
constexpr int kSymbolX = 20;

int digitValue(const QString& caption)
{
    if (caption.size() == 1 && caption.at(0).unicode() >= u'0' && caption.at(0).unicode() <= u'9')
        return caption.at(0).unicode() - u'0';
    return -1;
}

std::string_view patternOf(int position, int digit)
{
    return position < 6 ? UPCLeftCodes[digit] : UPCRightCodes[digit];
}

} // namespace

std::array<QString, 12> upcCaptions(const QString& text)
{
    std::array<QString, 12> captions;
    for (qsizetype k = 1; k <= 12; ++k) {
        const qsizetype last = std::min(k, text.size());
        captions[k - 1] = last > 0 ? text.mid(last - 1, 1) : QString();
    }
    return captions;
}

std::string upcModules(const std::array<QString, 12>& captions)
{
    std::string modules;
    modules.reserve(95);
    modules += kEdgeGuard;
    int digit = 0;
    for (int position = 0; position < 12; ++position) {
        if (position == 6)
            modules += kCentreGuard;
        if (const int value = digitValue(captions[position]); value >= 0)
            digit = value;
        modules += patternOf(position, digit);
    }
    modules += kEdgeGuard;
    return modules;
}

std::optional<QString> UPCCode(const QString& text, UpcForm& form)
{
    form.L.fill(QString());
    form.R.fill(QString());
    form.picUPC.Cls();
    if (form.txtUPC.isEmpty()) {
        form.txtUPC = QStringLiteral("097363395843");
        return QStringLiteral("You must enter a minimum 12 digit number to complete the  \r\nbarcode "
                              "example properly. Any length over 12 digits will  \r\nbe ignored.");
    }

    const std::array<QString, 12> captions = upcCaptions(text);
    for (int i = 0; i < 6; ++i) {
        form.L[i] = captions[i];
        form.R[i] = captions[i + 6];
    }
    // A blank picture replaces the previous symbol, which is the background by now.
    form.picUPC.setPicture(form.picUPCy);

    const std::string modules = upcModules(captions);
    for (int position = 0; position < 12; ++position) {
        form.picUPC.setCurrentX(kTextX[position]);
        form.picUPC.setCurrentY(kTextY);
        form.picUPC.Print(captions[position]);
        // The number-system and check digits have long bars, like the guards.
        const int bottom = (position == 0 || position == 11) ? kLongBottom : kShortBottom;
        for (int m = 0; m < 7; ++m) {
            const int x = kModuleX[position] + m;
            const bool dark = modules[size_t(x - kSymbolX)] == '1';
            form.picUPC.Line(x, kBarTop, x, bottom, dark ? draw::kBlack : draw::kWhite);
        }
    }
    // Every guard module is drawn, light ones in white, so nothing old shows through.
    for (const int start : {0, 45, 92}) {
        const int count = start == 45 ? 5 : 3;
        for (int m = start; m < start + count; ++m)
            form.picUPC.Line(kSymbolX + m, kBarTop, kSymbolX + m, kLongBottom,
                             modules[size_t(m)] == '1' ? draw::kBlack : draw::kWhite);
    }
    // The finished symbol becomes the background: it survives a later Cls.
    form.picUPC.setPicture(form.picUPC);
    QString number;
    for (const QString& c : captions)
        number += c;
    form.picUPC.setDescription(QStringLiteral("UPC-A ") + number);
    return std::nullopt;
}

} // namespace upc
