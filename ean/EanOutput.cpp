#include "ean/EanOutput.h"

#include "draw/Surface.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPagedPaintDevice>
#include <QPrinter>

namespace ean {

bool symbolPresent(const draw::Surface& picEan)
{
    return picEan.BackColor() == draw::kWhite;
}

PrintOutcome printEan(QPagedPaintDevice& device, const QString& code, const QImage& image)
{
    PrintOutcome outcome;
    auto* printer = dynamic_cast<QPrinter*>(&device);
    QPainter painter;
    if (!painter.begin(&device)) {
        if (printer)
            printer->abort();
        outcome.error = QStringLiteral("the printer could not start the document");
        outcome.errorNumber = kPrinterError;
        return outcome;
    }
    // Positions are in twips from the top left of the printable area.
    const double perTwip = device.logicalDpiY() / 1440.0;
    QFont font(QStringLiteral("Courier New"));
    font.setPointSizeF(10);
    font.setBold(true);
    painter.setFont(font);
    const QFontMetricsF metrics(font, &device);
    painter.drawText(QPointF(200 * perTwip, 200 * perTwip + metrics.ascent()),
                     QStringLiteral("EAN 13 Code: ") + code);
    // Natural size: one image pixel is 15 twips.
    const QRectF target(200 * perTwip, 1600 * perTwip, image.width() * 15 * perTwip,
                        image.height() * 15 * perTwip);
    // Scaled here, pixel for pixel, so that no viewer or printer driver
    // smooths the module edges.
    painter.drawImage(target.topLeft(),
                      image.scaled(target.size().toSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    if (!painter.end()) {
        if (printer)
            printer->abort();
        outcome.error = QStringLiteral("the document could not be finished");
        outcome.errorNumber = kPrinterError;
        return outcome;
    }
    outcome.printed = true;
    return outcome;
}

} // namespace ean
