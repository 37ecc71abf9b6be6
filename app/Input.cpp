// The response to every edit of the input: EAN and UPC-A routing first, then
// the linear symbol of the last chosen linear symbology.
#include "app/BarcodeGenerator.h"

#include "ean/Ean.h"
#include "ean/UpcCheck.h"
#include "linear/Codabar.h"
#include "linear/Code128.h"
#include "linear/Code39.h"
#include "linear/Interleaved2of5.h"
#include "modUPC/UPCCode.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

namespace {

} // namespace

linear::Options BarcodeGenerator::options() const
{
    return {.optimize = Check1[0]->isChecked() ? 1 : 0,
            .label = Check1[1]->isChecked() ? 1 : 0,
            .check = Check1[2]->isChecked() ? 1 : 0};
}

void BarcodeGenerator::Text1_Change()
{
    routeEanAndUpc();
    const QString input = Text1->text();
    if (input.isEmpty()) {
        Label5->hide();
        // The count follows the box even when it empties; the picture keeps its symbol.
        Text2->setText(QStringLiteral("0"));
        checkScan();
        return;
    }
    DrawLinearBarcode();
    Text1->setFocus();
    Text2->setText(QString::number(input.size()));
    checkScan();
}

void BarcodeGenerator::DrawLinearBarcode()
{
    const QString input = Text1->text();
    const linear::Options o = options();
    switch (LinearSymbology) {
    case 0: widenFor(linear::DrawCode39(Picture1(), input, o)); break;
    case 1: widenFor(linear::DrawInterleaved2of5(Picture1(), input, o)); break;
    case 2: widenFor(linear::DrawCode128(Picture1(), input, o)); break;
    case 3: widenFor(linear::DrawCodabar(Picture1(), input, o)); break;
    default: break;
    }
}

void BarcodeGenerator::reenterInput()
{
    TempText->setText(Text1->text());
    Text1->setText(QString());
    Text1->setText(TempText->text());
}

void BarcodeGenerator::showSurfaces(bool picture1, bool upc, bool ean)
{
    Picture1().setVisible(picture1);
    picUPC().setVisible(upc);
    picEan().setVisible(ean);
}

void BarcodeGenerator::showSelectedSurface()
{
    if (Option3->isChecked())
        showSurfaces(false, true, false);
    else if (Option2->isChecked())
        showSurfaces(false, false, true);
    else
        showSurfaces(true, false, false);
}

void BarcodeGenerator::showEanSurface()
{
    EanGen_Click();
    showSurfaces(false, false, true);
}

void BarcodeGenerator::showEanHint(const QString& hint)
{
    Label9->setText(hint);
    Label9->show();
    // "Clear Input" under JAN-13 or ISBN leaves Picture1 on view; the linear
    // symbol drawn at the next keystroke would cover the hint.
    Picture1().setVisible(false);
    picEan().setVisible(false);
}

// A symbol is drawn only for a complete input of digits; anything else shows
// what to type instead, so the picture on view always belongs to the input.
void BarcodeGenerator::routeEanAndUpc()
{
    Label5->hide();
    Label9->hide();
    Label9->setText(QString());
    const QString input = Text1->text();
    const qsizetype n = input.size();
    const bool digits = ean::isDigits(input);
    using ean::EanForm;
    const auto route = [&](EanForm form, bool draw) {
        if (draw && ean::eanComplete(form, input))
            showEanSurface();
        else
            showEanHint(ean::eanHint(form));
    };

    if (Option4->isChecked())
        route(EanForm::Ean8, true);
    if (Option7->isChecked())
        route(EanForm::Jan13, true);
    if (Option8->isChecked())
        route(EanForm::Isbn, true);
    if (Option2->isChecked())
        route(EanForm::Ean13, !Option7->isChecked());
    if (Option3->isChecked()) {
        if (n == 11 && digits) {
            drawUpc(withUPCCheckDigit(input));
            showSurfaces(false, true, false);
            Label9->hide();
            Label5->hide();
        } else if (n != 0) {
            Picture1().setVisible(false);
            picUPC().Refresh();
            picUPC().setVisible(false);
            Label5->show();
            picEan().setVisible(false);
            Label9->hide();
        }
    }
}

void BarcodeGenerator::EanGen_Click()
{
    const std::optional<QString> code = ean::completeCode(Text1->text());
    if (!code)
        return;
    EanText->setText(*code);
    Text1->setCursorPosition(int(Text1->text().size()));
    // The code-set display shares picEan; a symbol replaces it.
    Scroll1->hide();
    ean::DrawEan(picEan(), *code);
}

qint16 BarcodeGenerator::GetUPCCheckNumber(const QString& code) const
{
    return ::GetUPCCheckNumber(code);
}

void BarcodeGenerator::drawUpc(const QString& text)
{
    modUPC::UpcForm form{.txtUPC = txtUPC->text(), .picUPC = picUPC(), .picUPCy = picUPCy()};
    if (const std::optional<QString> error = modUPC::UPCCode(text, form))
        message(QMessageBox::Critical, windowTitle(), *error);
    for (int i = 0; i < 6; ++i) {
        L[i]->setText(form.L[i]);
        R[i]->setText(form.R[i]);
    }
    if (txtUPC->text() != form.txtUPC)
        txtUPC->setText(form.txtUPC);
}

void BarcodeGenerator::cmdGen_Click()
{
    drawUpc(txtUPC->text());
}

void BarcodeGenerator::Command2_Click()
{
    Text1->setText(QString());
    Text1->setFocus();
    Picture1().Cls();
    // The UPC-A symbol lives on as picUPC's background; cleared input must not
    // leave it on view.
    picUPC().setPicture(QImage());
    picUPC().Cls();
    picEan().Cls();
    showSelectedSurface();
    Label5->hide();
    Label9->hide();
    Text1->setFocus();
    Text2->setText(QString::number(Text1->text().size()));
}
