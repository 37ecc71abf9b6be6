#include "sheets/SheetWriter.h"

#include "draw/Surface.h"
#include "formats/Export.h"
#include "formats/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>

namespace sheets {

namespace {

// PDF coordinates are this fine, as an exported PDF's: the module is exact regardless.
constexpr int kPdfDotsPerInch = 1200;

QString mm(double value)
{
    return QString::number(value, 'f', 2);
}

LabelNote note(const SheetLayout& layout, const Slot& slot, const QString& message)
{
    const LabelSpot& spot = layout.sheet().spots[size_t(slot.spot)];
    const LabelItem& item = layout.items()[size_t(slot.item)];
    return {slot.page, spot.row, spot.column, item.line, item.data, message};
}

} // namespace

QString LabelNote::text() const
{
    QString where = QStringLiteral("Page %1, row %2, column %3").arg(page + 1).arg(row + 1).arg(column + 1);
    if (line > 0)
        where += QStringLiteral(" (line %1)").arg(line);
    return QStringLiteral("%1: %2").arg(where, message);
}

QPageLayout pageLayout(const Sheet& sheet)
{
    const QPageSize size(sheet.pageMm, QPageSize::Millimeter, sheet.paperName, QPageSize::FuzzyMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
}

PaintResult paintPage(QPainter& painter, const SheetLayout& layout, int page, double dpiX, double dpiY,
                      const PaintOptions& options)
{
    PaintResult result;
    const Sheet& sheet = layout.sheet();
    const double toX = dpiX / output::kMmPerInch;
    const double toY = dpiY / output::kMmPerInch;
    const auto toDevice = [&](const QRectF& r) { return QRectF(r.x() * toX, r.y() * toY, r.width() * toX, r.height() * toY); };

    painter.save();
    if (options.outlines) {
        QPen pen(QColor(160, 160, 160));
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing, true);
        for (int spot = 0; spot < sheet.labelsPerPage(); ++spot) {
            const QRectF rect = toDevice(sheet.labelRect(spot));
            if (sheet.label.shape == Shape::Round)
                painter.drawEllipse(rect);
            else
                painter.drawRoundedRect(rect, sheet.label.cornerMm * toX, sheet.label.cornerMm * toY);
        }
        painter.setRenderHint(QPainter::Antialiasing, false);
    }

    // The caption's points are meant on paper, whatever the device says its resolution is.
    QFont captionFont = layout.options().captionFont;
    const double devicePointScale = painter.device() ? dpiY / painter.device()->logicalDpiY() : 1.0;
    QFont deviceFont = captionFont;
    deviceFont.setPointSizeF(captionFont.pointSizeF() * devicePointScale);

    // Copies of one item are drawn, fitted and read back once.
    int lastItem = -1;
    QString lastUnread;
    for (const Slot& slot : layout.slotsOnPage(page)) {
        if (slot.item < 0)
            continue;
        const LabelItem& item = layout.items()[size_t(slot.item)];
        const output::SymbolResult symbol = layout.drawer()(item.data);
        if (!symbol.ok()) {
            result.warnings.push_back(note(layout, slot, symbol.message));
            continue;
        }
        const QSize modules = output::surfaceSize(*symbol.surface);
        const double fitDpi = options.exactModule ? options.checkDpi : dpiX;
        const Fit fit = fitSymbol(sheet, slot.spot, modules, item.caption, captionFont, layout.options().moduleMm,
                                  fitDpi, options.exactModule);
        if (!fit.ok()) {
            result.warnings.push_back(note(layout, slot, fit.error));
            continue;
        }
        if (!fit.warning.isEmpty() && slot.item != lastItem)
            result.warnings.push_back(note(layout, slot, fit.warning));

        painter.save();
        const QRectF target = toDevice(fit.symbolMm);
        double scaleX = fit.moduleMm * toX;
        double scaleY = fit.moduleMm * toY;
        QPointF at = target.topLeft();
        if (!options.exactModule) {
            // Whole device dots: each module, and where the symbol starts.
            scaleX = std::max(1.0, std::round(scaleX));
            scaleY = std::max(1.0, std::round(scaleY));
            at = QPointF(std::round(at.x()), std::round(at.y()));
        }
        painter.translate(at);
        painter.scale(scaleX, scaleY);
        symbol.surface->replay(painter, QRect(QPoint(0, 0), modules));
        painter.restore();

        if (!item.caption.isEmpty()) {
            painter.save();
            painter.setFont(deviceFont);
            painter.setPen(Qt::black);
            const QRectF area = toDevice(fit.captionMm);
            const QFontMetricsF metrics(deviceFont, painter.device());
            double y = area.top() + metrics.ascent();
            for (const QString& line : item.caption) {
                const QString shown = metrics.elidedText(line, Qt::ElideRight, area.width());
                const double width = metrics.horizontalAdvance(shown);
                painter.drawText(QPointF(area.center().x() - width / 2, y), shown);
                y += metrics.lineSpacing();
            }
            painter.restore();
        }
        ++result.labels;

        if (options.readBack) {
            if (slot.item != lastItem) {
                output::ExportSettings settings;
                settings.format = output::Format::Png;
                settings.moduleMm = fit.moduleMm;
                settings.dpi = options.checkDpi;
                const output::Rendered picture = output::render(*symbol.surface, settings);
                lastUnread = picture.ok() ? options.readBack(picture.image, symbol.reading) : picture.error;
                lastItem = slot.item;
            }
            if (!lastUnread.isEmpty())
                result.unread.push_back(note(layout, slot, lastUnread));
        }
        lastItem = slot.item;
    }
    painter.restore();
    result.pages = 1;
    return result;
}

PaintResult paintSheet(QPagedPaintDevice& device, const SheetLayout& layout, const PaintOptions& options)
{
    PaintResult result;
    if (const QString error = layout.error(); !error.isEmpty()) {
        result.error = error;
        return result;
    }
    // A printer may keep margins it cannot print on: the page is then moved
    // back by them, so that the labels stay where the sheet has them.
    device.setPageLayout(pageLayout(layout.sheet()));
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    const QRect paint = device.pageLayout().paintRectPixels(dpiX);
    QPainter painter;
    if (!painter.begin(&device)) {
        result.error = QStringLiteral("The printer could not be started.");
        return result;
    }
    for (int page = 0; page < layout.pageCount(); ++page) {
        if (page > 0 && !device.newPage()) {
            result.error = QStringLiteral("Page %1 could not be started.").arg(page + 1);
            break;
        }
        painter.resetTransform();
        painter.translate(-paint.topLeft());
        PaintResult one = paintPage(painter, layout, page, dpiX, dpiY, options);
        result.labels += one.labels;
        result.pages += 1;
        for (auto& n : one.unread)
            result.unread.push_back(std::move(n));
        for (auto& n : one.warnings)
            result.warnings.push_back(std::move(n));
    }
    if (!painter.end() && result.error.isEmpty())
        result.error = QStringLiteral("The pages could not be completed.");
    return result;
}

SheetPdf sheetPdf(const SheetLayout& layout, const PaintOptions& options)
{
    SheetPdf pdf;
    QBuffer buffer(&pdf.bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kPdfDotsPerInch);
    writer.setTitle(layout.sheet().name);
    writer.setCreator(QStringLiteral("Barcode Generator"));
    PaintOptions exact = options;
    exact.exactModule = true;
    pdf.result = paintSheet(writer, layout, exact);
    buffer.close();
    if (!pdf.result.ok())
        pdf.bytes.clear();
    return pdf;
}

PaintResult writeSheetPdf(const SheetLayout& layout, const PaintOptions& options, const QString& path,
                          bool refuseUnread)
{
    SheetPdf pdf = sheetPdf(layout, options);
    if (!pdf.result.ok())
        return pdf.result;
    if (refuseUnread && !pdf.result.unread.empty()) {
        pdf.result.error = QStringLiteral("%1 label(s) do not read back; %2 is not written.")
                               .arg(pdf.result.unread.size())
                               .arg(QDir::toNativeSeparators(path));
        return pdf.result;
    }
    const output::SaveResult saved = output::saveBytes(pdf.bytes, path);
    if (!saved.saved)
        pdf.result.error = QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), saved.error);
    return pdf.result;
}

} // namespace sheets
