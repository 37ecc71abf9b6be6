// Symbology buttons, the option boxes and the help panel.
#include "app/BarcodeGenerator.h"

#include "app/HelpTexts.h"
#include "ean/Ean.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

void BarcodeGenerator::setHelp(const QString& text)
{
    HelpT->setPlainText(text);
}

void BarcodeGenerator::setCheckBoxes(int value, bool enabled)
{
    // One at a time, in order: each change redraws through Check1_Click.
    for (QCheckBox* box : Check1)
        box->setChecked(value != 0);
    for (QCheckBox* box : Check1)
        box->setEnabled(enabled);
}

void BarcodeGenerator::Option1_Click(int index)
{
    if (Option1[3]->isChecked())
        setHelp(helptext::Codabar);
    else if (Option1[1]->isChecked())
        setHelp(helptext::Interleaved2of5);
    else if (Option1[2]->isChecked())
        setHelp(helptext::Code128);
    else if (Option1[0]->isChecked())
        setHelp(helptext::Code39);

    for (QCheckBox* box : Check1)
        box->setEnabled(true);
    Check1[1]->setChecked(true);
    Label9->hide();
    Label5->hide();
    showSelectedSurface();

    // "Add Check Character": optional for Code 39 and Interleaved 2 of 5, always
    // present in Code 128, never used in Codabar.
    struct CheckRule {
        const char* tip;
        bool value;
        bool enabled;
    };
    static constexpr CheckRule kRules[] = {
        {"Optional", false, true},
        {"Optional", false, true},
        {"Not optional", true, false},
        {"Not used", false, false},
    };
    if (index >= 0 && index < 4) {
        const CheckRule& rule = kRules[index];
        Check1[2]->setToolTip(QString::fromLatin1(rule.tip));
        Check1[2]->setChecked(rule.value);
        Check1[2]->setEnabled(rule.enabled);
    }

    LinearSymbology = index;
    DrawLinearBarcode();
    reenterInput();
    Text1->setFocus();
    Text1->setText(TempText->text());
    Text1->setCursorPosition(int(Text1->text().size()));
}

// The EAN-family buttons differ only in their help text.
void BarcodeGenerator::eanButtonClicked(QRadioButton* button, const QString& helpText)
{
    if (button->isChecked())
        setHelp(helpText);
    Text1->setCursorPosition(int(Text1->text().size()));
    showSurfaces(false, false, true);
    Text1_Change();
    Text1->setFocus();
    setCheckBoxes(1, false);
}

void BarcodeGenerator::Option2_Click()
{
    eanButtonClicked(Option2, helptext::Ean13);
}

void BarcodeGenerator::Option4_Click()
{
    eanButtonClicked(Option4, helptext::Ean8);
}

void BarcodeGenerator::Option7_Click()
{
    eanButtonClicked(Option7, helptext::Jan13);
}

void BarcodeGenerator::Option8_Click()
{
    eanButtonClicked(Option8, helptext::Isbn);
}

void BarcodeGenerator::Option3_Click()
{
    if (Option3->isChecked())
        setHelp(helptext::UpcA);
    Text1->setCursorPosition(int(Text1->text().size()));
    Text1_Change();
    Picture1().setVisible(false);
    picEan().setVisible(false);
    Text1->setFocus();
    Label9->hide();
    const QString input = Text1->text();
    Label5->setVisible(!(input.size() == 11 && ean::isDigits(input)));
    setCheckBoxes(1, false);
}

void BarcodeGenerator::Option5_Click()
{
    if (Option5->isChecked())
        setHelp(helptext::UpcE);
}

void BarcodeGenerator::Option6_Click()
{
    if (Option6->isChecked())
        setHelp(helptext::Jan8);
}

void BarcodeGenerator::Check1_Click(int)
{
    DrawLinearBarcode();
    Text1->setFocus();
    reenterInput();
}

void BarcodeGenerator::Check2_Click()
{
    HelpT->setVisible(Check2->isChecked());
}
