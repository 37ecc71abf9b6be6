// The EAN code-set display, save and print. No control reaches them; they are
// kept callable for internal procedures and tests.
#include "app/BarcodeGenerator.h"

#include "desktop/Print.h"
#include "ean/EanModules.h"
#include "ean/EanOutput.h"
#include "formats/SaveFile.h"

#include <QDir>
#include <QLineEdit>
#include <QPrinter>
#include <QScrollBar>

namespace {

// EAN-<code>.bmp in the given folder, the code made safe as a file name.
QString eanFilePath(const QString& folder, const QString& code)
{
    return QDir(folder).filePath(QStringLiteral("EAN-") + output::safeFileName(code) +
                                 QStringLiteral(".bmp"));
}

} // namespace

void BarcodeGenerator::ShowEanModules(qint16 start)
{
    Scroll1->setMaximum(EanViewMode == 1 ? 5 : 25);
    ean::drawEanModules(picEan(), start, EanViewMode);
}

void BarcodeGenerator::Scroll1_Change()
{
    ShowEanModules(static_cast<qint16>(Scroll1->value()));
}

void BarcodeGenerator::EanViewCommand(qint16 index)
{
    if (index == 0 || index == 1) {
        Scroll1->setValue(0);
        Scroll1->show();
        EanViewMode = index;
        ShowEanModules(0);
    } else if (index == 3) {
        message(QMessageBox::Information, kCaption, QStringLiteral("Not yet implemented."));
    }
}

void BarcodeGenerator::EanFileCommand(qint16 index)
{
    switch (index) {
    case 0: EanGen_Click(); break;
    case 1: {
        if (!ean::symbolPresent(picEan())) {
            message(QMessageBox::Warning, kCaption, QStringLiteral("Nothing to save!"));
            return;
        }
        const QString path = eanFilePath(m_platform->programFolder(), EanText->text());
        const output::SaveResult result = output::saveBitmap(picEan().Image(), path);
        if (result.saved)
            message(QMessageBox::NoIcon, kCaption,
                    QStringLiteral("Ean saved as: \"%1\"").arg(QDir::toNativeSeparators(path)));
        else
            message(QMessageBox::Warning, kCaption,
                    QStringLiteral("The EAN image was not saved as \"%1\": %2")
                        .arg(QDir::toNativeSeparators(path), result.error));
        break;
    }
    case 2:
        if (ean::symbolPresent(picEan()))
            PrintEan();
        else
            message(QMessageBox::Warning, kCaption, QStringLiteral("No bar code to print!"));
        break;
    case 4: close(); break;
    default: break;
    }
}

void BarcodeGenerator::PrintEan()
{
    const std::unique_ptr<QPrinter> printer = m_platform->printer();
    const QString code = EanText->text();
    const QImage image = picEan().Image();
    printer->setFullPage(false);
    ean::PrintOutcome outcome;
    // Printed to a PDF file, the page is put in place whole or not at all.
    const QString failed = output::printPages(*printer, [&](QPagedPaintDevice& page) {
        outcome = ean::printEan(page, code, image);
        return outcome.error;
    });
    if (outcome.printed && !failed.isEmpty())
        outcome = {.error = failed, .errorNumber = ean::kPrinterError};
    outcome.device = printer->outputFileName().isEmpty() ? printer->printerName() : printer->outputFileName();
    if (!outcome.printed) {
        // Shown once: the job is cancelled rather than retried for ever.
        message(QMessageBox::Warning, QStringLiteral("Chyba: %1").arg(outcome.errorNumber),
                QStringLiteral("Chyba tisku: ") + outcome.error);
        return;
    }
    message(QMessageBox::Information, kCaption,
            QStringLiteral("Printing EAN Code: ") + code + QStringLiteral("\r\nna ") + outcome.device);
}

void BarcodeGenerator::ShowEanAbout()
{
    message(QMessageBox::Information, kCaption,
            QStringLiteral("EAN-13 code set, 2026\rBarcode Generator developers\r"
                           "%1\rFree to use for any labels you print.")
                .arg(kLinkAddress));
}
