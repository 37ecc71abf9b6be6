#include "app/ShownSymbol.h"

#include "app/ExportDialog.h"
#include "app/Platform.h"
#include "desktop/Print.h"
#include "formats/Export.h"
#include "formats/Format.h"
#include "formats/Plan.h"
#include "verify/ExportCheck.h"
#include "verify/ScanCheck.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

// The request's own decoder: the window's symbology, or the library's.
verify::Verdict checkShown(const draw::Surface& surface, const output::ExportSettings& settings,
                           const verify::Request& shown, const verify::Context& context)
{
    return shown.library ? verify::checkExport(surface, settings, *shown.library, context)
                         : verify::checkExport(surface, settings, shown.symbology, context);
}

} // namespace

void exportShownSymbol(Platform& platform, QWidget* parent, const draw::Surface& surface,
                       const output::ExportSettings& settings, const verify::Request& shown,
                       const QString& fileName)
{
    const QString title = QStringLiteral("Export");
    const QString proposed = QDir(ExportDialog::lastFolder()).filePath(fileName);
    const QString chosen =
        platform.saveFileName(parent, title, proposed, output::formatFilter(settings.format));
    if (chosen.isEmpty())
        return;
    const output::ExportPath target = output::exportPath(chosen, settings.format);
    if (target.path.isEmpty()) {
        platform.message(QMessageBox::Warning, title, target.error, QMessageBox::Ok);
        return;
    }
    const QString& path = target.path;
    ExportDialog::rememberFolder(QFileInfo(path).absolutePath());
    const output::SaveResult result = output::write(surface, settings, path);
    if (!result.saved) {
        platform.message(QMessageBox::Warning, title,
                         QStringLiteral("The symbol was not exported to %1: %2")
                             .arg(QDir::toNativeSeparators(path), result.error),
                         QMessageBox::Ok);
        return;
    }
    // A symbology no decoder reads is written unread, not warned about.
    const verify::Verdict verdict = checkShown(surface, settings, shown, shown.context);
    if (verdict.checked() && !verdict.reads())
        platform.message(QMessageBox::Warning, title,
                         QStringLiteral("%1 was written as asked, but a standard decoder does not read it as "
                                        "the data: %2")
                             .arg(QDir::toNativeSeparators(path), verdict.details()),
                         QMessageBox::Ok);
}

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
    const verify::Verdict verdict = checkShown(surface, page, shown, context);
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
