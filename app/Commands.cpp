// Copy, save, the label font list and the link label.
#include "app/BarcodeGenerator.h"

#include "app/LinkLabel.h"
#include "desktop/Clipboard.h"
#include "formats/SaveFile.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>

#include <algorithm>

QMessageBox::StandardButton BarcodeGenerator::message(QMessageBox::Icon icon, const QString& title,
                                                      const QString& text,
                                                      QMessageBox::StandardButtons buttons)
{
    return m_platform->message(icon, title, text, buttons);
}

draw::Surface& BarcodeGenerator::surface(output::SurfaceId id) const
{
    switch (id) {
    case output::SurfaceId::picEan: return picEan();
    case output::SurfaceId::picUPC: return picUPC();
    case output::SurfaceId::picUPCy: return picUPCy();
    case output::SurfaceId::Picture1: break;
    }
    return Picture1();
}

output::Symbology BarcodeGenerator::selectedSymbology() const
{
    using output::Symbology;
    const std::pair<QRadioButton*, Symbology> buttons[] = {
        {Option1[0], Symbology::Code39},  {Option1[1], Symbology::Interleaved2of5},
        {Option1[2], Symbology::Code128}, {Option1[3], Symbology::Codabar},
        {Option2, Symbology::Ean13},      {Option7, Symbology::Jan13},
        {Option8, Symbology::Isbn},       {Option3, Symbology::UpcA},
        {Option4, Symbology::Ean8},
    };
    for (const auto& [button, symbology] : buttons)
        if (button->isChecked())
            return symbology;
    return Symbology::Code39;
}

draw::Surface& BarcodeGenerator::selectedSurface() const
{
    // EAN-8 has no button on view; Copy and File Save have always taken
    // Picture1 while it is selected.
    if (Option4->isChecked())
        return Picture1();
    return surface(output::surfaceFor(selectedSymbology()));
}

std::optional<QString> BarcodeGenerator::pendingHint() const
{
    if (Option3->isChecked() && !picUPC().Visible())
        return Label5->text();
    if ((Option2->isChecked() || Option7->isChecked() || Option8->isChecked()) && !picEan().Visible())
        return Label9->text();
    return std::nullopt;
}

bool BarcodeGenerator::requireInput()
{
    if (!Text1->text().isEmpty())
        return true;
    message(QMessageBox::NoIcon, kCaption, QStringLiteral("Please Type the Barcode Data First"));
    Text1->setFocus();
    return false;
}

void BarcodeGenerator::Command1_Click()
{
    if (!requireInput())
        return;
    // A hidden EAN or UPC-A picture belongs to an earlier number: never export it.
    if (const auto hint = pendingHint()) {
        message(QMessageBox::Information, kCaption, *hint);
        Text1->setFocus();
        return;
    }
    output::copySurface(selectedSurface());
    Text1->setFocus();
}

void BarcodeGenerator::Text1_KeyPress(int keyAscii)
{
    if (keyAscii == 13)
        Command1_Click();
}

namespace {
// A long input or a deep folder would make the message box taller or wider than
// the screen, its buttons out of reach. Half the screen, where a message box
// wraps its text; shortened in the middle, a path keeps the folder's start and
// the file's end.
QString fitted(const QWidget& window, const QString& text)
{
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    const int width = std::min(window.screen()->availableGeometry().width() / 2, 480);
    return metrics.elidedText(text, Qt::ElideMiddle, width);
}
} // namespace

void BarcodeGenerator::Command4_Click()
{
    if (!requireInput())
        return;
    if (const auto hint = pendingHint()) {
        message(QMessageBox::Information, kCaption, *hint);
        return;
    }
    const QString title = QStringLiteral("File Save");
    const QString folder = m_platform->currentDirectory();
    // A folder removed while the program runs has no path any more; the write
    // would fail later for a reason that names something else.
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        message(QMessageBox::Warning, title,
                QStringLiteral(
                    "The current folder no longer exists, so the barcode image can't be saved in it."));
        return;
    }
    const QString input = Text1->text();
    const QString fileName = QStringLiteral("TSL_") + output::safeFileName(input) + QStringLiteral(".bmp");
    // Asking first would only lead to a failure the user can do nothing about.
    if (const qsizetype bytes = fileName.toUtf8().size(); bytes > output::kMaxFileNameBytes) {
        message(
            QMessageBox::Warning, title,
            QStringLiteral("The barcode image can't be saved: a file name made from this input would be %1 "
                           "bytes long, and the file system allows %2.")
                .arg(bytes)
                .arg(output::kMaxFileNameBytes));
        return;
    }
    const QString path = QDir(folder).filePath(fileName);
    const QString question = QStringLiteral("Do you want to save the barcode image of ") +
                             fitted(*this, output::withoutDirectionControls(input)) + QStringLiteral(" as ") +
                             fitted(*this, QDir::toNativeSeparators(path));
    if (message(QMessageBox::NoIcon, title, question, QMessageBox::Ok | QMessageBox::Cancel) !=
        QMessageBox::Ok)
        return;
    const output::SaveResult result = output::saveBitmap(selectedSurface().Image(), path);
    if (!result.saved)
        message(QMessageBox::Warning, title,
                QStringLiteral("The barcode image was not saved as %1: %2")
                    .arg(fitted(*this, QDir::toNativeSeparators(path)), result.error));
}

void BarcodeGenerator::cmdClear_Click()
{
    picUPC().setPicture(QImage());
    picUPC().Cls();
    for (QLabel* label : L)
        label->setText(QStringLiteral("0"));
    for (QLabel* label : R)
        label->setText(QStringLiteral("0"));
}

void BarcodeGenerator::List1_Click()
{
    for (int i = 0; i < List1->count(); ++i) {
        if (!List1->item(i)->isSelected())
            continue;
        FontB->setText(List1->item(i)->text());
        for (draw::Surface* s : {&Picture1(), &picUPC(), &picEan()})
            s->setFontName(FontB->text());
        Text1_Change();
        break;
    }
    Picture1().Refresh();
    Text1->setFocus();
}

void BarcodeGenerator::List1_DblClick()
{
    List1_Click();
}

// A choice from the keyboard does what a click does, but leaves the focus in
// the list, so that the arrows can go on trying one font after another.
void BarcodeGenerator::List1_KeyChoice()
{
    List1_Click();
    List1->setFocus();
}

void BarcodeGenerator::LblLink_Click()
{
    QDesktopServices::openUrl(QUrl(kLinkAddress));
}

namespace {
void setLinkLook(QLabel* link, bool hovered)
{
    QFont font = link->font();
    font.setBold(false);
    font.setUnderline(hovered);
    link->setFont(font);
    if (hovered) {
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
        link->setPalette(palette);
    } else {
        // Back to the inherited palette, so the link reads in the normal text
        // colour of whatever theme is in use, dark ones included, and follows
        // a theme change.
        link->setPalette(QPalette());
    }
}
} // namespace

void BarcodeGenerator::LblLink_MouseMove()
{
    setLinkLook(LblLink, true);
}

void BarcodeGenerator::Form_MouseMove()
{
    setLinkLook(LblLink, false);
}
