#include "modUPC/UPCCode.h"

#include "draw/Surface.h"
#include "ean/Ean.h"
#include "modUPC/UpcModules.h"

#include <array>

namespace modUPC {

namespace {

// Where each position prints its character.
constexpr std::array<int, 12> kTextX = {10, 32, 38, 44, 50, 56, 71, 78, 84, 90, 96, 118};
constexpr int kTextY = 42;
constexpr int kBarTop = 6;
constexpr int kLongBottom = 50;
constexpr int kShortBottom = 42;
constexpr int kSymbolX = 20;

// The number-system and check digits have long bars, like the guards.
constexpr std::array<ean::ModuleRun, 3> kLongRuns = {{{0, 3 + 7}, {45, 5}, {92 - 7, 7 + 3}}};

} // namespace

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

    std::array<draw::Surface::Caption, 12> placed;
    for (size_t position = 0; position < 12; ++position)
        placed[position] = {double(kTextX[position]), double(kTextY), &captions[position]};
    form.picUPC.PrintEach(placed);
    // Every module is drawn, light ones in white, so nothing old shows through.
    ean::drawModules(form.picUPC, upcModules(captions),
                     {.firstX = kSymbolX,
                      .top = kBarTop,
                      .shortBottom = kShortBottom,
                      .longBottom = kLongBottom,
                      .longRuns = kLongRuns,
                      .dark = draw::kBlack,
                      .light = draw::kWhite});
    // The finished symbol becomes the background: it survives a later Cls.
    form.picUPC.setPicture(form.picUPC);
    // Made in one piece: each caption is one character or none.
    std::array<QChar, 6 + 12> description = {u'U', u'P', u'C', u'-', u'A', u' '};
    qsizetype length = 6;
    for (const QString& c : captions)
        if (!c.isEmpty())
            description[size_t(length++)] = c.at(0);
    form.picUPC.setDescription(QString(description.data(), length));
    return std::nullopt;
}

} // namespace modUPC
