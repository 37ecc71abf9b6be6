#pragma once

#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPrinter;

namespace draw {
class Surface;
}

namespace output {

struct PrintResult {
    QString error;
    int dotsPerModuleX = 0;
    int dotsPerModuleY = 0;
    double moduleMm = 0; // across the bars, as obtained on that printer
    bool ok() const { return error.isEmpty(); }
};

// The picture at its true size on the page, at the top-left of the printable
// area: each module the whole number of printer dots nearest to `moduleMm`,
// the caption under it unless empty. Nothing is printed when it does not fit.
PrintResult printSymbol(QPagedPaintDevice& device, const draw::Surface& surface, double moduleMm,
                        const QString& caption = QString());
// The same on a printer. One that writes a PDF file ("Print to File", or no
// printer installed) gets the file whole or not at all, as an export does: an
// older file stays when the new one cannot be written.
PrintResult printSymbol(QPrinter& printer, const draw::Surface& surface, double moduleMm,
                        const QString& caption = QString());
// Paints a document on a printer; why it failed, or nothing. Printed to a PDF
// file, the pages are made in memory and the file is put in place whole or
// not at all, as an export is: a printer writing the file itself ignores
// failed writes, leaving an empty or cut file and an older one gone.
QString printPages(QPrinter& printer, const std::function<QString(QPagedPaintDevice&)>& paint);

} // namespace output
