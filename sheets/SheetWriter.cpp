#include "sheets/SheetWriter.h"

#include "draw/Recording.h"
#include "draw/Surface.h"
#include "formats/Export.h"
#include "formats/Plan.h"
#include "formats/SaveFile.h"

#include <QBuffer>
#include <QDir>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <QThread>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <tuple>

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

// Reads the labels' pictures back on worker threads while the pages are
// painted: the decoder takes several times as long as the painting. At most a
// few dozen pictures wait, so memory does not grow with the sheet.
class Checker {
  public:
    explicit Checker(output::ReadBack readBack) : m_readBack(std::move(readBack))
    {
        const int workers = std::max(1, QThread::idealThreadCount());
        for (int i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { work(); });
    }
    ~Checker() { finish(); }
    Checker(const Checker&) = delete;
    Checker& operator=(const Checker&) = delete;

    // The label as printed at `dotsPerModule`: the part of the surface it shows.
    void add(std::shared_ptr<const draw::Recording> recording, QRect band, int dotsPerModule, QString reading,
             std::vector<LabelNote> labels)
    {
        std::unique_lock lock(m_mutex);
        m_room.wait(lock, [this] { return m_queue.size() < kMostWaiting; });
        m_queue.push_back({std::move(recording), band, dotsPerModule, std::move(reading), std::move(labels)});
        m_ready.notify_one();
    }

    // Every label that did not read, in the order they were added.
    std::vector<LabelNote> finish()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ready.notify_all();
        for (std::thread& worker : m_workers)
            if (worker.joinable())
                worker.join();
        std::sort(m_unread.begin(), m_unread.end(), [](const LabelNote& a, const LabelNote& b) {
            return std::tie(a.page, a.row, a.column) < std::tie(b.page, b.row, b.column);
        });
        return std::move(m_unread);
    }

  private:
    static constexpr size_t kMostWaiting = 32;
    struct Job {
        std::shared_ptr<const draw::Recording> recording;
        QRect band;
        int dotsPerModule = 1;
        QString reading;
        std::vector<LabelNote> labels; // the copies that show this picture
    };

    void work()
    {
        for (;;) {
            Job job;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [this] { return m_done || !m_queue.empty(); });
                if (m_queue.empty())
                    return;
                job = std::move(m_queue.front());
                m_queue.pop_front();
                m_room.notify_one();
            }
            const QString why = m_readBack(picture(job), job.reading);
            if (why.isEmpty())
                continue;
            std::lock_guard lock(m_mutex);
            for (LabelNote& label : job.labels) {
                label.message = why;
                m_unread.push_back(std::move(label));
            }
        }
    }

    // Drawn as output::render draws a picture at whole pixels per module: the
    // recording replayed, scaled, over white paper; black on white needs no palette.
    static QImage picture(const Job& job)
    {
        const int k = job.dotsPerModule;
        QImage image(job.band.width() * k, job.band.height() * k, QImage::Format_RGB32);
        if (image.isNull())
            return image;
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(k, k);
        painter.translate(-job.band.topLeft());
        draw::replayRecording(painter, *job.recording, job.band, {});
        return image;
    }

    output::ReadBack m_readBack;
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::condition_variable m_room;
    std::deque<Job> m_queue;
    std::vector<LabelNote> m_unread;
    std::vector<std::thread> m_workers;
    bool m_done = false;
};

PaintResult paintPageWith(QPainter& painter, const SheetLayout& layout, int page, double dpiX, double dpiY,
                          const PaintOptions& options, Checker* checker);

// The part of the picture a label shows: the rows that hold ink, and across,
// the inked columns (bars and their human-readable text), with blank beside
// them for the quiet zone the symbology asks beside its bars. The window's
// picture is far wider and taller than its symbol; on a label its blank
// margins would only make the symbol smaller. The blank is as wide on either
// side of the ink, so that the symbol is centred on its label as printed; it
// may reach past the picture, where the paper is as blank as its margin.
struct Band {
    QRect ink;     // in surface pixels
    int quiet = 0; // blank columns to keep on either side of it
    QRect drawn() const { return ink.adjusted(-quiet, 0, quiet, 0); }
};

Band symbolBand(const output::SymbolResult& symbol)
{
    const draw::Surface& surface = *symbol.surface;
    const QSize size = output::surfaceSize(surface);
    QImage image = surface.pixels();
    if (image.format() != QImage::Format_Grayscale8)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    const int width = std::min(size.width(), image.width());
    const int height = std::min(size.height(), image.height());
    // Per column, the pixels darker than half grey: the text's faint
    // smoothing at its edges, which a printer barely shows, does not decide
    // where the symbol's middle is; it stays inside the band all the same.
    std::vector<int> inkedInColumn(size_t(std::max(0, width)), 0);
    std::vector<bool> faintInColumn(size_t(std::max(0, width)), false);
    int top = -1;
    int bottom = -1;
    for (int y = 0; y < height; ++y) {
        const uchar* row = image.constScanLine(y);
        bool inked = false;
        for (int x = 0; x < width; ++x)
            if (row[x] < 255) {
                faintInColumn[size_t(x)] = true;
                inkedInColumn[size_t(x)] += row[x] < 128 ? 1 : 0;
                inked = true;
            }
        if (inked) {
            if (top < 0)
                top = y;
            bottom = y;
        }
    }
    if (top < 0)
        return {QRect(QPoint(0, 0), size)};
    // A picture whose own margins are its quiet zones keeps all its columns.
    const QRect rows(0, top, size.width(), bottom - top + 1);
    if (symbol.quietLeft < 0 || symbol.quietRight < 0)
        return {rows};

    // Bars run most of the symbol's height; the text beside or under them
    // (EAN's leading digit, the label) is much shorter.
    const int tallest = *std::max_element(inkedInColumn.begin(), inkedInColumn.end());
    if (tallest == 0)
        return {rows};
    const auto inked = [](int count) { return count > 0; };
    const auto bar = [tallest](int count) { return 2 * count >= tallest; };
    const auto firstOf = [&](auto test) {
        return int(std::find_if(inkedInColumn.begin(), inkedInColumn.end(), test) - inkedInColumn.begin());
    };
    const auto lastOf = [&](auto test) {
        return width - 1 -
               int(std::find_if(inkedInColumn.rbegin(), inkedInColumn.rend(), test) - inkedInColumn.rbegin());
    };
    const int inkLeft = firstOf(inked);
    const int inkRight = lastOf(inked);
    const int barsLeft = firstOf(bar);
    const int barsRight = lastOf(bar);
    const int faintLeft =
        int(std::find(faintInColumn.begin(), faintInColumn.end(), true) - faintInColumn.begin());
    const int faintRight =
        width - 1 -
        int(std::find(faintInColumn.rbegin(), faintInColumn.rend(), true) - faintInColumn.rbegin());
    // What the quiet zones ask beyond the ink on each side; the larger on both.
    const int quiet =
        std::max({0, symbol.quietLeft - (barsLeft - inkLeft), symbol.quietRight - (inkRight - barsRight),
                  inkLeft - faintLeft, faintRight - inkRight});
    return {QRect(inkLeft, top, inkRight - inkLeft + 1, bottom - top + 1), quiet};
}

} // namespace

QString LabelNote::text() const
{
    QString where = QStringLiteral("Page %1, row %2, column %3").arg(page + 1).arg(row + 1).arg(column + 1);
    if (line > 0)
        where += QStringLiteral(" (line %1)").arg(line);
    return QStringLiteral("%1: %2").arg(where, message);
}

QStringList groupedNotes(const std::vector<LabelNote>& notes)
{
    std::vector<std::pair<const LabelNote*, int>> distinct;
    for (const LabelNote& note : notes) {
        auto same = std::find_if(distinct.begin(), distinct.end(),
                                 [&](const auto& seen) { return seen.first->message == note.message; });
        if (same == distinct.end())
            distinct.emplace_back(&note, 1);
        else
            ++same->second;
    }
    QStringList lines;
    for (const auto& [note, count] : distinct) {
        if (count == 1) {
            lines << note->text();
            continue;
        }
        LabelNote first = *note;
        first.message.clear();
        QString place = first.text();
        place.chop(2); // the ": " before the empty message
        const int others = count - 1;
        lines << QStringLiteral("%1 and %2 other %3: %4")
                     .arg(place)
                     .arg(others)
                     .arg(others == 1 ? QStringLiteral("label") : QStringLiteral("labels"), note->message);
    }
    return lines;
}

void cacheLargeGlyphs()
{
    if (!qEnvironmentVariableIsSet("QT_MAX_CACHED_GLYPH_SIZE"))
        qputenv("QT_MAX_CACHED_GLYPH_SIZE", "256");
}

QPageLayout pageLayout(const Sheet& sheet)
{
    const QPageSize size(sheet.pageMm, QPageSize::Millimeter, sheet.paperName, QPageSize::FuzzyMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(), QPageLayout::Millimeter);
}

PaintResult paintPage(QPainter& painter, const SheetLayout& layout, int page, double dpiX, double dpiY,
                      const PaintOptions& options)
{
    if (!options.readBack)
        return paintPageWith(painter, layout, page, dpiX, dpiY, options, nullptr);
    Checker checker(options.readBack);
    PaintResult result = paintPageWith(painter, layout, page, dpiX, dpiY, options, &checker);
    result.unread = checker.finish();
    return result;
}

namespace {

PaintResult paintPageWith(QPainter& painter, const SheetLayout& layout, int page, double dpiX, double dpiY,
                          const PaintOptions& options, Checker* checker)
{
    PaintResult result;
    const Sheet& sheet = layout.sheet();
    const double toX = dpiX / output::kMmPerInch;
    const double toY = dpiY / output::kMmPerInch;
    const auto toDevice = [&](const QRectF& r) {
        return QRectF(r.x() * toX, r.y() * toY, r.width() * toX, r.height() * toY);
    };

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
    std::shared_ptr<const draw::Recording> recording;
    QRect checkBand;
    int checkDots = 1;
    QString reading;
    std::vector<LabelNote> pending;
    for (const Slot& slot : layout.slotsOnPage(page)) {
        if (slot.item < 0)
            continue;
        const LabelItem& item = layout.items()[size_t(slot.item)];
        const output::SymbolResult symbol = layout.drawer()(item.data);
        if (!symbol.ok()) {
            result.empty.push_back(note(layout, slot, symbol.message));
            continue;
        }
        const Band shown = symbolBand(symbol);
        const QRect band = shown.drawn();
        const double fitDpi = options.fitDpi > 0    ? options.fitDpi
                              : options.exactModule ? options.checkDpi
                                                    : dpiX;
        const bool wholeDeviceDots = !options.exactModule && options.fitDpi <= 0;
        const Fit fit = fitSymbol(sheet, slot.spot, shown.ink.size(), item.caption, captionFont,
                                  layout.options().moduleMm, fitDpi, options.exactModule, shown.quiet);
        if (!fit.ok()) {
            result.empty.push_back(note(layout, slot, fit.error));
            continue;
        }
        if (!fit.warning.isEmpty() && slot.item != lastItem)
            result.warnings.push_back(note(layout, slot, fit.warning));

        painter.save();
        const QRectF target = toDevice(fit.symbolMm);
        double scaleX = fit.moduleMm * toX;
        double scaleY = fit.moduleMm * toY;
        QPointF at = target.topLeft();
        if (wholeDeviceDots) {
            // Whole device dots: each module, and where the symbol starts.
            scaleX = std::max(1.0, std::round(scaleX));
            scaleY = std::max(1.0, std::round(scaleY));
            at = QPointF(std::round(at.x()), std::round(at.y()));
        }
        painter.translate(at);
        painter.scale(scaleX, scaleY);
        painter.translate(-band.topLeft());
        symbol.surface->replay(painter, band);
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

        if (checker) {
            if (slot.item != lastItem) {
                if (!pending.empty())
                    checker->add(std::move(recording), checkBand, checkDots, std::move(reading),
                                 std::move(pending));
                pending.clear();
                recording = symbol.surface->recording();
                checkBand = band;
                checkDots = output::wholeDots(fit.moduleMm, options.checkDpi);
                reading = symbol.reading;
            }
            pending.push_back(note(layout, slot, QString()));
        }
        lastItem = slot.item;
    }
    if (checker && !pending.empty())
        checker->add(std::move(recording), checkBand, checkDots, std::move(reading), std::move(pending));
    painter.restore();
    result.pages = 1;
    return result;
}

} // namespace

PaintResult paintSheet(QPagedPaintDevice& device, const SheetLayout& layout, const PaintOptions& options)
{
    PaintResult result;
    if (const QString error = layout.error(); !error.isEmpty()) {
        result.error = error;
        return result;
    }
    // A printer may keep margins it cannot print on: its origin is then moved
    // back by them, so that the labels stay where the sheet has them.
    const Sheet& sheet = layout.sheet();
    device.setPageSize(pageLayout(sheet).pageSize());
    device.setPageOrientation(QPageLayout::Portrait);
    const QSizeF paper = device.pageLayout().fullRect(QPageLayout::Millimeter).size();
    if (std::abs(paper.width() - sheet.pageMm.width()) > 1 ||
        std::abs(paper.height() - sheet.pageMm.height()) > 1) {
        result.error =
            QStringLiteral("The printer's paper is %1 x %2 mm, not the %3 x %4 mm of %5: the labels "
                           "would not be where the sheet has them.")
                .arg(mm(paper.width()), mm(paper.height()), mm(sheet.pageMm.width()),
                     mm(sheet.pageMm.height()), sheet.name);
        return result;
    }
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    const QRect paint = device.pageLayout().paintRectPixels(dpiX);
    QPainter painter;
    if (!painter.begin(&device)) {
        result.error = QStringLiteral("The printer could not be started.");
        return result;
    }
    std::optional<Checker> checker;
    if (options.readBack)
        checker.emplace(options.readBack);
    for (int page = 0; page < layout.pageCount(); ++page) {
        if (page > 0 && !device.newPage()) {
            result.error = QStringLiteral("Page %1 could not be started.").arg(page + 1);
            break;
        }
        painter.resetTransform();
        painter.translate(-paint.topLeft());
        PaintResult one =
            paintPageWith(painter, layout, page, dpiX, dpiY, options, checker ? &*checker : nullptr);
        result.labels += one.labels;
        result.pages += 1;
        for (auto& n : one.unread)
            result.unread.push_back(std::move(n));
        for (auto& n : one.warnings)
            result.warnings.push_back(std::move(n));
        for (auto& n : one.empty)
            result.empty.push_back(std::move(n));
    }
    if (!painter.end() && result.error.isEmpty())
        result.error = QStringLiteral("The pages could not be completed.");
    if (checker) {
        std::vector<LabelNote> unread = checker->finish();
        result.unread.insert(result.unread.end(), unread.begin(), unread.end());
    }
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
    writer.setPageLayout(pageLayout(layout.sheet()));
    PaintOptions exact = options;
    exact.exactModule = true;
    pdf.result = paintSheet(writer, layout, exact);
    buffer.close();
    if (!pdf.result.ok())
        pdf.bytes.clear();
    return pdf;
}

PaintResult writeSheetPdf(const SheetLayout& layout, const PaintOptions& options, const QString& path,
                          bool refuseUnread, const output::SaveOptions& save)
{
    SheetPdf pdf = sheetPdf(layout, options);
    if (!pdf.result.ok())
        return pdf.result;
    if (pdf.result.labels == 0) {
        pdf.result.error = QStringLiteral("No symbol fits its label; %1 is not written.")
                               .arg(QDir::toNativeSeparators(path));
        return pdf.result;
    }
    if (refuseUnread && !pdf.result.unread.empty()) {
        pdf.result.error = QStringLiteral("%1 label(s) do not read back; %2 is not written.")
                               .arg(pdf.result.unread.size())
                               .arg(QDir::toNativeSeparators(path));
        return pdf.result;
    }
    const output::SaveResult saved = output::saveBytes(pdf.bytes, path, save);
    pdf.result.existed = saved.existed;
    if (!saved.saved && !saved.existed)
        pdf.result.error =
            QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), saved.error);
    return pdf.result;
}

} // namespace sheets
