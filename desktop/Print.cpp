// Printing, apart from the files: only a printer's state needs QtPrintSupport,
// and the command line should not load it.
#include "desktop/Print.h"

#include "draw/Surface.h"
#include "formats/Plan.h"
#include "formats/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <algorithm>

namespace output {

namespace {

constexpr double kCaptionPoints = 10.0;

} // namespace

PrintResult printSymbol(QPagedPaintDevice& device, const draw::Surface& surface, double moduleMm,
                        const QString& caption)
{
    PrintResult result;
    result.error = checkModule(moduleMm);
    if (!result.ok())
        return result;
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    // Each direction on its own: some printers have more dots down than across.
    result.dotsPerModuleX = wholeDots(moduleMm, dpiX);
    result.dotsPerModuleY = wholeDots(moduleMm, dpiY);
    result.moduleMm = result.dotsPerModuleX * kMmPerInch / dpiX;
    const QSize source = surfaceSize(surface);
    // In doubles: a long symbol at a fine printer's resolution passes the int range.
    const QSizeF symbol(double(source.width()) * result.dotsPerModuleX,
                        double(source.height()) * result.dotsPerModuleY);

    QFont captionFont = surface.Font();
    captionFont.setPointSizeF(kCaptionPoints);
    const QFontMetricsF metrics(captionFont, &device);
    const double gap = caption.isEmpty() ? 0 : metrics.height() / 2;
    const double captionHeight = caption.isEmpty() ? 0 : metrics.height();
    const double width = std::max(symbol.width(), caption.isEmpty() ? 0 : metrics.horizontalAdvance(caption));
    const double height = symbol.height() + gap + captionHeight;
    if (width > device.width() || height > device.height()) {
        const auto mm = [](double dots, int dpi) { return QString::number(dots * kMmPerInch / dpi, 'f', 1); };
        result.error = QStringLiteral("At a module of %1 mm the symbol is %2 x %3 mm, larger than the page's "
                                      "printable area of %4 x %5 mm; choose a narrower module.")
                           .arg(QString::number(result.moduleMm, 'f', 3), mm(width, dpiX), mm(height, dpiY),
                                mm(device.width(), dpiX), mm(device.height(), dpiY));
        return result;
    }

    QPainter painter;
    if (!painter.begin(&device)) {
        result.error = QStringLiteral("The printer could not be started.");
        return result;
    }
    painter.save();
    painter.scale(result.dotsPerModuleX, result.dotsPerModuleY);
    surface.replay(painter, QRect(QPoint(0, 0), source));
    painter.restore();
    if (!caption.isEmpty()) {
        painter.setFont(captionFont);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(0, symbol.height() + gap + metrics.ascent()), caption);
    }
    if (!painter.end()) {
        result.error = QStringLiteral("The page could not be completed.");
        return result;
    }
    if (const auto* printer = dynamic_cast<QPrinter*>(&device);
        printer && printer->printerState() == QPrinter::Error)
        result.error = QStringLiteral("The printer reported an error.");
    return result;
}

PrintResult printSymbol(QPrinter& printer, const draw::Surface& surface, double moduleMm,
                        const QString& caption)
{
    PrintResult result;
    const QString error = printPages(printer, [&](QPagedPaintDevice& device) {
        result = printSymbol(device, surface, moduleMm, caption);
        return result.error;
    });
    if (!error.isEmpty())
        result.error = error;
    return result;
}

QString printPages(QPrinter& printer, const std::function<QString(QPagedPaintDevice&)>& paint)
{
    // A preview paints the printer through an engine of its own, even when it
    // is set to a file: nothing is written then.
    const QPaintEngine* engine = printer.paintEngine();
    if (printer.outputFormat() != QPrinter::PdfFormat || printer.outputFileName().isEmpty() || !engine ||
        engine->type() != QPaintEngine::Pdf)
        return paint(printer);

    // The same pages made in memory, with the printer's page and resolution.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter pdf(&buffer);
    pdf.setResolution(printer.resolution());
    pdf.setPdfVersion(printer.pdfVersion());
    pdf.setTitle(printer.docName());
    pdf.setCreator(printer.creator());
    const QString path = printer.outputFileName();
    if (!pdf.setPageLayout(printer.pageLayout()))
        return QStringLiteral("The page of %1 could not be set up.").arg(QDir::toNativeSeparators(path));
    if (QString error = paint(pdf); !error.isEmpty())
        return error;
    if (const SaveResult saved = saveBytes(bytes, path); !saved.saved)
        return QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), saved.error);
    return {};
}

} // namespace output
