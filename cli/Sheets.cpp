#include "cli/Sheets.h"

#include "jobs/Fonts.h"

#include "cli/Messages.h"
#include "sheets/Catalogue.h"
#include "sheets/SheetWriter.h"

#include <QFile>

#include <algorithm>

namespace cli {

namespace {

void say(const QString& text)
{
    printError(QStringLiteral("barcode-generator: %1").arg(text));
}

// One message a kind of note, each said as the kind it is.
void sayNotes(const std::vector<sheets::LabelNote>& notes, const QString& kind)
{
    for (const QString& line : sheets::groupedNotes(notes))
        say(QStringLiteral("%1: %2").arg(kind, line));
}

} // namespace

int listSheets(const Settings& settings, bool outputClosed)
{
    const sheets::Catalogue catalogue = sheets::Catalogue::load();
    if (catalogue.products().empty()) {
        say(catalogue.error());
        return kFailed;
    }
    const auto found = catalogue.search(settings.sheet.search);
    if (found.empty()) {
        say(QStringLiteral("no label product matches '%1'").arg(settings.sheet.search));
        return kFailed;
    }
    QString lines;
    for (const sheets::Product* product : found)
        lines += printable(sheets::productLine(*product)) + QLatin1Char('\n');
    return showOnStandardOutput(lines, outputClosed);
}

int writeSheet(const Settings& s, const output::ReadBack& readBack)
{
    // Nothing has drawn text yet: the read-back pictures' large label text is
    // still to be cached.
    sheets::cacheLargeGlyphs();

    sheets::Sheet sheet;
    if (!s.sheet.customSpec.isEmpty()) {
        // Checked when the arguments were read.
        sheet = sheets::makeSheet(*sheets::parseCustomSheet(s.sheet.customSpec).custom).sheet;
    } else {
        const sheets::Catalogue catalogue = sheets::Catalogue::load();
        if (catalogue.products().empty()) {
            say(catalogue.error());
            return kFailed;
        }
        const sheets::Product* product = catalogue.find(s.sheet.product);
        if (!product) {
            say(QStringLiteral(
                    "no label product '%1'; the nearest are: %2 (--list-sheets TEXT searches them)")
                    .arg(s.sheet.product, catalogue.closest(s.sheet.product).join(QStringLiteral(", "))));
            return kUsage;
        }
        if (!product->supported()) {
            say(QStringLiteral("%1 cannot be printed: %2").arg(product->name(), product->unsupported));
            return kUsage;
        }
        sheet = product->sheet;
    }

    if (s.sheet.firstLabel > sheet.labelsPerPage()) {
        say(QStringLiteral("--first-label %1: %2 has %3 labels a sheet")
                .arg(s.sheet.firstLabel)
                .arg(sheet.name)
                .arg(sheet.labelsPerPage()));
        return kUsage;
    }

    sheets::SourceOptions source;
    source.csv = s.sheet.csv;
    source.header = s.sheet.header;
    source.column = output::CsvColumn::parse(s.sheet.column);
    for (const QString& column : s.sheet.captionColumns)
        source.captionColumns.push_back(output::CsvColumn::parse(column));
    source.caption = !source.captionColumns.empty() ? sheets::CaptionSource::Columns
                     : s.sheet.caption              ? sheets::CaptionSource::Data
                                                    : sheets::CaptionSource::None;
    sheets::LabelSource labels;
    if (s.action == Action::Sheet && !s.batchSource.isEmpty()) {
        QFile input;
        const bool opened = s.batchSource == QLatin1String("-")
                                ? input.open(stdin, QIODevice::ReadOnly)
                                : (input.setFileName(s.batchSource), input.open(QIODevice::ReadOnly));
        if (!opened) {
            say(QStringLiteral("%1: %2").arg(s.batchSource, input.errorString()));
            return kFailed;
        }
        labels = sheets::fromDevice(input, source);
    } else {
        labels = sheets::fromData(s.data, source);
    }
    if (!labels.ok()) {
        say(labels.error);
        return kFailed;
    }

    // Captions are drawn whatever the symbol.
    output::ensureTahoma();
    output::SymbolSurfaces surfaces(s.font);
    const output::Symbology symbology = s.symbology;
    const linear::Options options = s.asked;
    const output::LibraryChoice library = s.library;
    sheets::LayoutOptions layoutOptions;
    layoutOptions.firstLabel = s.sheet.firstLabel;
    layoutOptions.copies = s.sheet.copies;
    layoutOptions.badLines = s.sheet.skipBad ? sheets::BadLines::Skip : sheets::BadLines::Empty;
    layoutOptions.moduleMm = s.sheet.moduleMm;
    layoutOptions.captionFont = QFont(s.font.isEmpty() ? QStringLiteral("Tahoma") : s.font);
    layoutOptions.captionFont.setPointSizeF(8);
    const sheets::SheetLayout layout(
        sheet, std::move(labels.items), std::move(labels.bad), layoutOptions,
        [&](const QString& data) {
            output::SymbolResult symbol = output::drawChosen(surfaces, symbology, options, library, data);
            symbol.message = commandLineWords(symbol.message);
            return symbol;
        });
    for (const sheets::BadItem& bad : layout.bad())
        say(bad.message);
    if (const QString error = layout.error(); !error.isEmpty()) {
        say(QStringLiteral("%1 not written: %2").arg(s.target, error));
        return kFailed;
    }

    // Nothing could read the labels back: --verify writes none of them.
    if (s.verify && !notCheckedWhy(s).isEmpty()) {
        say(QStringLiteral("%1 not written: %2").arg(s.target, verifyRefusal(s)));
        return kFailed;
    }

    sheets::PaintOptions paint;
    paint.readBack = readBack;
    paint.checkDpi = s.file.dpi;
    const sheets::PaintResult written =
        sheets::writeSheetPdf(layout, paint, s.target, s.verify, {.keepExisting = !s.replace});
    sayNotes(written.warnings, QStringLiteral("warning"));
    sayNotes(written.empty, QStringLiteral("error"));
    // Per label: each one that does not read is to be found on the sheet.
    for (const sheets::LabelNote& note : written.unread)
        say(QStringLiteral("%1: %2").arg(s.verify ? QStringLiteral("error") : QStringLiteral("warning"),
                                         note.text()));
    if (written.existed) {
        say(QStringLiteral("%1 exists (--force replaces it)").arg(s.target));
        return kFailed;
    }
    if (!written.ok()) {
        say(written.error);
        return kFailed;
    }
    // Labels left empty lost data, as bad lines do: the sheet is written, the run fails.
    return layout.bad().empty() && written.empty.empty() ? kSuccess : kFailed;
}

} // namespace cli
