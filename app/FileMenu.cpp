// The File menu, the pictures' context menu and dragging a symbol out: export
// and print at a true size through formats/ and desktop/, each result read back by verify/.
#include "app/BarcodeGenerator.h"

#include "app/ExportDialog.h"
#include "app/PrintLabels.h"
#include "app/ShownSymbol.h"
#include "desktop/Print.h"
#include "draw/PictureBox.h"
#include "formats/FileName.h"
#include "jobs/Choice.h"
#include "studio/StudioWindow.h"
#include "verify/ExportCheck.h"
#include "verify/ScanCheck.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>

namespace {


} // namespace

void BarcodeGenerator::buildFileMenu()
{
    fileMenu = new QMenu(QStringLiteral("&File"), this);
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    // Every other symbology, in a window of its own.
    fileAllSymbologies = fileMenu->addAction(QStringLiteral("&All Symbologies…"), this,
                                             [this] { studio::openStudio(this, *m_platform); });
    fileAllSymbologies->setObjectName(QStringLiteral("fileAllSymbologies"));
    fileAllSymbologies->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    fileMenu->addSeparator();
    fileExport = fileMenu->addAction(QStringLiteral("&Export…"), this, &BarcodeGenerator::File_Export);
    fileExport->setObjectName(QStringLiteral("fileExport"));
    fileExport->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    // Draws its own symbols from lines: it needs none on view.
    fileBatchExport =
        fileMenu->addAction(QStringLiteral("&Batch Export…"), this, &BarcodeGenerator::BatchExport);
    fileBatchExport->setObjectName(QStringLiteral("fileBatchExport"));
    fileMenu->addSeparator();
    filePrint = fileMenu->addAction(QStringLiteral("&Print…"), this, &BarcodeGenerator::File_Print);
    filePrint->setObjectName(QStringLiteral("filePrint"));
    filePrint->setShortcut(QKeySequence::Print);
    filePrintPreview =
        fileMenu->addAction(QStringLiteral("Print Pre&view…"), this, &BarcodeGenerator::File_PrintPreview);
    filePrintPreview->setObjectName(QStringLiteral("filePrintPreview"));
    // Needs no symbol on view: the labels may come from lines or a CSV file.
    filePrintLabels =
        fileMenu->addAction(QStringLiteral("Print &Labels…"), this, &BarcodeGenerator::File_PrintLabels);
    filePrintLabels->setObjectName(QStringLiteral("filePrintLabels"));
    filePrintLabels->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    printCaption = fileMenu->addAction(QStringLiteral("Print the Data as a &Caption"));
    printCaption->setObjectName(QStringLiteral("printCaption"));
    printCaption->setCheckable(true);
    fileMenu->addSeparator();
    fileQuit = fileMenu->addAction(QStringLiteral("&Quit"), this, &QWidget::close);
    fileQuit->setObjectName(QStringLiteral("fileQuit"));
    fileQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    menuBar()->insertMenu(help, fileMenu);

    pictureMenu = new QMenu(this);
    pictureMenu->setObjectName(QStringLiteral("pictureMenu"));
    pictureCopy = pictureMenu->addAction(QStringLiteral("&Copy"), this, &BarcodeGenerator::Command1_Click);
    pictureMenu->addAction(fileExport);
    pictureMenu->addAction(filePrint);
    for (draw::PictureBox* box : m_boxes) {
        box->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(box, &QWidget::customContextMenuRequested, this,
                [this, box](const QPoint& at) { pictureMenu->popup(box->mapToGlobal(at)); });
        box->installEventFilter(this);
    }
    updateSymbolActions();
}

void BarcodeGenerator::updateSymbolActions()
{
    const bool shown = symbolShown();
    for (QAction* action : {fileExport, filePrint, filePrintPreview, pictureCopy})
        action->setEnabled(shown);
}

QString BarcodeGenerator::exportFileName(const QString& suffix) const
{
    return QStringLiteral("TSL_") + output::safeFileName(Text1->text()) + u'.' + suffix;
}

void BarcodeGenerator::File_Export()
{
    if (!symbolShown())
        return;
    // Window-modal and not blocking: the handler returns while the dialog is open.
    auto* dialog = new ExportDialog(selectedSurface(), ExportDialog::remembered(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    if (auto standard = std::make_unique<output::SymbolSurfaces>();
        const draw::Surface* drawn = standardSymbol(*standard))
        dialog->offerStandardProportions(std::move(standard), *drawn);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        if (dialog->offersStandardProportions())
            ExportDialog::rememberProportions(dialog->standardProportions());
        writeExport(dialog->settings(), dialog->standardProportions());
    });
    dialog->open();
}

const draw::Surface* BarcodeGenerator::standardSymbol(output::SymbolSurfaces& surfaces) const
{
    if (!output::isEanFamily(selectedSymbology()) || !symbolShown())
        return nullptr;
    const output::SymbolResult drawn = output::drawChosen(surfaces, selectedSymbology(), options(),
                                                          {.standardProportions = true}, Text1->text());
    return drawn.surface;
}

void BarcodeGenerator::writeExport(const output::ExportSettings& settings, bool standardProportions)
{
    ExportDialog::remember(settings);
    // The input may have changed under a dialog that was opened from code.
    const std::optional<verify::Request> shown = shownSymbol();
    if (!shown)
        return;
    // Drawn again from the input as it is now, as the window's own picture is.
    output::SymbolSurfaces standard;
    const draw::Surface* standardSurface = standardProportions ? standardSymbol(standard) : nullptr;
    if (standardProportions && !standardSurface)
        return;
    const draw::Surface& surface = standardSurface ? *standardSurface : selectedSurface();
    exportShownSymbol(*m_platform, this, surface, settings, *shown,
                      exportFileName(output::formatSuffix(settings.format)));
}

void BarcodeGenerator::File_Print()
{
    if (!symbolShown())
        return;
    const std::unique_ptr<QPrinter> printer = m_platform->printer();
    if (!m_platform->setUpPrinter(*printer, this))
        return;
    printShown(*printer, true);
}

void BarcodeGenerator::File_PrintPreview()
{
    if (!symbolShown())
        return;
    const std::unique_ptr<QPrinter> printer = m_platform->printer();
    m_platform->previewPrint(*printer, this, [this](QPrinter& pages) { printShown(pages, false); });
}

void BarcodeGenerator::printShown(QPrinter& printer, bool checkPage)
{
    const std::optional<verify::Request> shown = shownSymbol();
    if (!shown)
        return;
    const QString caption = printCaption->isChecked() ? shown->context.expected : QString();
    printShownSymbol(*m_platform, printer, selectedSurface(), *shown, caption, checkPage);
}

LabelSymbols BarcodeGenerator::labelSymbols() const
{
    LabelSymbols symbols;
    const output::Symbology symbology = selectedSymbology();
    const linear::Options asked = options();
    const QString font = m_picture1->Font().family();
    // The dialog's own picture areas, made as the window's: its labels are the
    // window's symbols, whatever the window shows meanwhile.
    auto surfaces = std::make_shared<output::SymbolSurfaces>(font);
    symbols.draw = [surfaces, symbology, asked](const QString& data) {
        return output::drawSymbol(*surfaces, symbology, data, asked);
    };
    symbols.readBack =
        verify::lineCheck(symbology, output::settleOptions(symbology, asked).options.optimize != 0);
    if (symbolShown())
        symbols.currentData = Text1->text();
    symbols.labelFont = font;
    return symbols;
}

PrintLabelsDialog* BarcodeGenerator::File_PrintLabels()
{
    auto* dialog = new PrintLabelsDialog(*m_platform, labelSymbols(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

output::DragData BarcodeGenerator::dragData()
{
    if (!symbolShown())
        return {nullptr, QStringLiteral("There is no symbol to drag.")};
    QString name = exportFileName(QStringLiteral("png"));
    if (name.toUtf8().size() > output::kMaxFileNameBytes)
        name = QStringLiteral("TSL_barcode.png");
    return dragShownSymbol(m_dragFolder, selectedSurface(), name);
}

void BarcodeGenerator::dragSymbol()
{
    output::DragData data = dragData();
    if (!data.mime) {
        message(QMessageBox::Warning, kCaption,
                QStringLiteral("The symbol cannot be dragged: ") + data.error);
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data.mime.release());
    // The start of the picture is enough under the pointer; a long symbol's whole
    // image would be a pixmap wider than any screen.
    const QImage& image = selectedSurface().pixels();
    drag->setPixmap(
        QPixmap::fromImage(image.copy(0, 0, std::min(selectedSurface().imageWidth(), 240), image.height())));
    drag->exec(Qt::CopyAction);
}
