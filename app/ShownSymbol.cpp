#include "app/ShownSymbol.h"

#include "app/ExportDialog.h"
#include "app/Platform.h"
#include "desktop/Print.h"
#include "formats/Plan.h"
#include "verify/ExportCheck.h"
#include "verify/ScanCheck.h"

#include <QMimeData>
#include <QPrinter>
#include <QTemporaryDir>

void printShownSymbol(Platform& platform, QPrinter& printer, const draw::Surface& surface,
                      const verify::Request& shown, const QString& caption, bool checkPage)
{
    const QString title = QStringLiteral("Print");
    const double moduleMm = ExportDialog::remembered().moduleMm;
    const output::PrintResult result = output::printSymbol(printer, surface, moduleMm, caption);
    if (!result.ok()) {
        platform.message(QMessageBox::Warning, title,
                         QStringLiteral("The symbol was not printed: ") + result.error, QMessageBox::Ok);
        return;
    }
    if (!checkPage)
        return;
    // The page as the printer's dots make it: black on white, each module the
    // whole number of dots the layout chose.
    output::ExportSettings page;
    page.format = output::Format::Png;
    page.moduleMm = moduleMm;
    page.dpi = printer.logicalDpiX();
    verify::Context context = shown.context;
    context.dotsPerModule = moduleMm * page.dpi / output::kMmPerInch;
    const verify::Verdict verdict = shown.library
                                        ? verify::checkExport(surface, page, *shown.library, context)
                                        : verify::checkExport(surface, page, shown.symbology, context);
    // A symbology no decoder reads is printed unread, not warned about.
    if (verdict.checked() && !verdict.reads())
        platform.message(
            QMessageBox::Warning, title,
            QStringLiteral("The symbol was printed, but a standard decoder does not read the page as "
                           "the data: ") +
                verdict.details(),
            QMessageBox::Ok);
}

output::DragData dragShownSymbol(std::unique_ptr<QTemporaryDir>& folder, const draw::Surface& surface,
                                 const QString& fileName)
{
    if (!folder || !folder->isValid())
        folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid())
        return {nullptr, folder->errorString()};
    return output::dragData(surface, ExportDialog::remembered(), folder->filePath(fileName));
}
