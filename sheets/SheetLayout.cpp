#include "sheets/SheetLayout.h"

#include "formats/Plan.h"

#include <QFontMetricsF>
#include <QImage>

#include <algorithm>
#include <cmath>

namespace sheets {

namespace {

// Captions are measured on a device of a known resolution, whatever the
// screen's: their points are meant on paper.
constexpr int kMeasureDpi = 96;

const QImage& measuringDevice()
{
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_RGB32);
        const int perMetre = int(std::lround(kMeasureDpi / output::kMmPerInch * 1000));
        image.setDotsPerMeterX(perMetre);
        image.setDotsPerMeterY(perMetre);
        return image;
    }();
    return device;
}

QString mm(double value, int decimals = 2)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

SheetLayout::SheetLayout(Sheet sheet, std::vector<LabelItem> items, std::vector<BadItem> bad,
                         const LayoutOptions& options, SymbolDrawer drawer)
    : m_sheet(std::move(sheet)), m_items(std::move(items)), m_bad(std::move(bad)), m_options(options),
      m_drawer(std::move(drawer))
{
    const int perPage = m_sheet.labelsPerPage();
    const int copies = std::max(1, m_options.copies);
    m_firstSlot = perPage > 0 ? std::clamp(m_options.firstLabel - 1, 0, perPage - 1) : 0;
    const QString fate = m_options.badLines == BadLines::Empty ? QStringLiteral("its label is left empty")
                                                               : QStringLiteral("it is skipped");
    for (size_t i = 0; i < m_items.size(); ++i) {
        const LabelItem& item = m_items[i];
        const output::SymbolResult symbol = m_drawer(item.data);
        if (symbol.ok()) {
            m_slotItems.insert(m_slotItems.end(), size_t(copies), int(i));
            continue;
        }
        const QString where =
            item.line > 0 ? QStringLiteral("Line %1").arg(item.line) : QStringLiteral("The data");
        m_bad.push_back({item.line, QStringLiteral("%1: %2; %3.").arg(where, symbol.message, fate)});
        if (m_options.badLines == BadLines::Empty)
            m_slotItems.insert(m_slotItems.end(), size_t(copies), -1);
    }
    std::stable_sort(m_bad.begin(), m_bad.end(),
                     [](const BadItem& a, const BadItem& b) { return a.line < b.line; });
    m_pages = perPage > 0 && !m_slotItems.empty()
                  ? int((qint64(m_firstSlot) + qint64(m_slotItems.size()) + perPage - 1) / perPage)
                  : 0;
}

int SheetLayout::labelCount() const
{
    return int(std::count_if(m_slotItems.begin(), m_slotItems.end(), [](int item) { return item >= 0; }));
}

std::vector<Slot> SheetLayout::slotsOnPage(int page) const
{
    std::vector<Slot> list;
    const int perPage = m_sheet.labelsPerPage();
    if (page < 0 || page >= m_pages)
        return list;
    const qint64 begin = std::max<qint64>(0, qint64(page) * perPage - m_firstSlot);
    const qint64 end = std::min<qint64>(qint64(m_slotItems.size()), qint64(page + 1) * perPage - m_firstSlot);
    for (qint64 s = begin; s < end; ++s)
        list.push_back({page, int((s + m_firstSlot) % perPage), m_slotItems[size_t(s)]});
    return list;
}

QString SheetLayout::error() const
{
    // Only what makes printing impossible: a product whose labels overlap by
    // a rounding or run a little off the page (thirty of the data set's, the
    // common Avery L7161 among them) is printed as its maker describes it;
    // a custom sheet is held to checkSheet() when it is made.
    if (m_sheet.pageMm.isEmpty() || m_sheet.label.sizeMm.isEmpty() || m_sheet.spots.empty())
        return QStringLiteral("%1 has no labels to print on.").arg(m_sheet.name);
    if (m_options.firstLabel < 1 || m_options.firstLabel > m_sheet.labelsPerPage())
        return QStringLiteral("The first label must be 1 to %1: the sheet has %1 labels.")
            .arg(m_sheet.labelsPerPage());
    if (labelCount() == 0)
        return m_items.empty() ? QStringLiteral("There is no data for the labels.")
                               : QStringLiteral("None of the data can be drawn: no label is printed.");
    return {};
}

Fit fitSymbol(const Sheet& sheet, int spot, QSize modules, const QStringList& captionLines, const QFont& font,
              double askedMm, double dpi, bool exact, int quiet)
{
    Fit fit;
    const QRectF content = sheet.contentRect(spot);
    const QFontMetricsF metrics(font, &measuringDevice());
    const double px = output::kMmPerInch / measuringDevice().logicalDpiY();
    const double lineMm = captionLines.isEmpty() ? 0 : metrics.lineSpacing() * px;
    // A little air between the symbol and its caption.
    const double captionMm = captionLines.isEmpty() ? 0 : lineMm * captionLines.size() + lineMm / 4;
    const double w = std::max(1, modules.width());
    const double h = std::max(1, modules.height());
    const double q = std::max(0, quiet);

    // The largest module at which a block `w` modules wide fits `area`, continuous.
    const auto largestIn = [&](const QRectF& area, double w) {
        if (sheet.label.shape == Shape::Round) {
            // Symbol and caption as one block inside the circle:
            // (w m)^2 + (h m + c)^2 <= d^2.
            const double d = std::min(area.width(), area.height());
            const double c = captionMm;
            const double a = w * w + h * h;
            const double disc = h * h * c * c - a * (c * c - d * d);
            return disc > 0 ? (-h * c + std::sqrt(disc)) / a : 0.0;
        }
        return std::min(area.width() / w, (area.height() - captionMm) / h);
    };
    // The ink inside the margin; with its quiet zones, on the label.
    double largest = largestIn(content, w);
    if (q > 0)
        largest = std::min(largest, largestIn(sheet.labelRect(spot), w + 2 * q));
    if (largest <= 0) {
        fit.error = QStringLiteral("the caption leaves no room for the symbol");
        return fit;
    }
    const double dot = output::kMmPerInch / dpi;
    const int largestDots = int(std::floor(largest / dot + 1e-9));
    if (exact && askedMm > 0 && askedMm <= largest + 1e-9) {
        fit.moduleMm = askedMm;
    } else {
        int dots = largestDots;
        if (askedMm > 0)
            dots = std::min(dots, output::wholeDots(askedMm, dpi));
        if (dots < 1) {
            fit.error =
                QStringLiteral("the symbol does not fit on the label even at one dot (%1 mm) a module; "
                               "it would need a module of %2 mm")
                    .arg(mm(dot, 3), mm(largest, 3));
            return fit;
        }
        fit.dotsPerModule = dots;
        fit.moduleMm = dots * dot;
    }
    if (fit.moduleMm < kSmallestReadableModuleMm - 1e-9)
        fit.warning =
            QStringLiteral("the symbol fits only at a module of %1 mm, below the %2 mm that scanners "
                           "read reliably; choose a larger label or shorter data")
                .arg(mm(fit.moduleMm, 3), mm(kSmallestReadableModuleMm));

    const QSizeF symbol((w + 2 * q) * fit.moduleMm, h * fit.moduleMm);
    const QPointF centre = content.center();
    double top = centre.y() - (symbol.height() + captionMm) / 2;
    double left = centre.x() - symbol.width() / 2;
    if (fit.dotsPerModule > 0) {
        // On whole dots of the page, as every module is.
        left = std::round(left / dot) * dot;
        top = std::round(top / dot) * dot;
    }
    fit.symbolMm = QRectF(QPointF(left, top), symbol);
    if (!captionLines.isEmpty()) {
        const double width = sheet.label.shape == Shape::Round ? w * fit.moduleMm : content.width();
        fit.captionMm = QRectF(centre.x() - width / 2, fit.symbolMm.bottom() + lineMm / 4, width,
                               lineMm * captionLines.size());
    }
    return fit;
}

} // namespace sheets
