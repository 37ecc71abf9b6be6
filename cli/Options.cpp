#include "cli/Options.h"

#include "jobs/BatchRunner.h"
#include "jobs/Fonts.h"
#include "sheets/Sheet.h"

#include <QColor>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QFontDatabase>
#include <QRegularExpression>

#include <array>
#include <cstddef>
#include <utility>

#ifndef BARCODE_VERSION
#error "BARCODE_VERSION comes from the CMake project"
#endif

namespace cli {

namespace {

QString typeNames()
{
    QStringList names;
    for (const output::SymbologyInfo& s : output::kSymbologies)
        if (s.visible)
            names << QString::fromLatin1(s.cliName);
    return names.join(QStringLiteral(", "));
}

// The window's own symbologies as --list-types shows them: what each is for
// and the data it takes.
struct WindowType {
    output::Symbology symbology;
    const char* description;
    const char* data;
};

constexpr WindowType kWindowTypes[] = {
    {output::Symbology::Code39, "Letters and digits for industry, inventory and badges",
     "A-Z, 0-9, space and - . $ / + %"},
    {output::Symbology::Interleaved2of5, "Digits in pairs, for cartons and distribution", "Digits"},
    {output::Symbology::Code128, "Any ASCII text, compact, for shipping and labels", "ASCII characters"},
    {output::Symbology::Codabar, "Digits for libraries, blood banks and parcels", "0-9 and - $ : / . +"},
    {output::Symbology::Ean13, "Retail products worldwide", "12 digits, or 13 with the check digit"},
    {output::Symbology::Jan13, "Retail products of Japan (an EAN-13 from 45 or 49)",
     "12 digits from 45 or 49, or 13 with the check digit"},
    {output::Symbology::Isbn, "Books (an EAN-13 from 978 or 979)",
     "An ISBN-13 or ISBN-10, hyphens allowed (978-0-306-40615-7, 0-306-40615-2)"},
    {output::Symbology::UpcA, "Retail products of North America", "11 digits, or 12 with the check digit"},
};

// One type: its name, then what it is and the data it takes.
QString typeEntry(const QString& name, const QString& title, const QString& description, const QString& data)
{
    return QStringLiteral("  %1 %2: %3\n  %4 Data: %5\n")
        .arg(name.leftJustified(22), title, description, QString(22, QChar(u' ')), data);
}

// Every symbology -t takes: the window's own first, then the library's by group.
QString typeList()
{
    QString text = QStringLiteral("The window's own:\n");
    for (const WindowType& t : kWindowTypes)
        text += typeEntry(QString::fromLatin1(output::symbologyInfo(t.symbology).cliName),
                          output::symbologyTitle(t.symbology), QString::fromUtf8(t.description),
                          QString::fromUtf8(t.data));
    std::optional<zintsym::Group> group;
    for (const zintsym::Kind& k : zintsym::kinds()) {
        // The window's EAN family by the library (--addon, --proportions) keeps
        // its name; a kind without a name of its own cannot be asked for by one.
        if (!k.name || output::symbologyFromName(QString::fromUtf8(k.name)))
            continue;
        if (group != k.group) {
            group = k.group;
            text += QStringLiteral("\n%1:\n").arg(zintsym::groupTitle(k.group));
        }
        text += typeEntry(QString::fromUtf8(k.name), QString::fromUtf8(k.title),
                          QString::fromUtf8(k.description), QString::fromUtf8(k.data));
    }
    return text;
}

// Each option has a row in the table below, in this order.
enum class Option {
    Type,
    Data,
    Output,
    Batch,
    Sheet,
    CustomSheet,
    ListSheets,
    FirstLabel,
    Copies,
    Csv,
    Header,
    Column,
    CaptionColumn,
    Caption,
    BadLines,
    NoOptimize,
    NoLabel,
    Check,
    Addon,
    Ecc,
    SymbolSize,
    Proportions,
    ModuleMm,
    Dpi,
    Fg,
    Bg,
    Transparent,
    Font,
    Force,
    Jobs,
    Quiet,
    Verify,
    NoVerify,
    ListTypes,
    Help,
    Version
};

// One option as --help shows it. The rows are constant data: nothing is made
// of them before a command line is read, so that starting the window costs
// nothing.
struct OptionRow {
    Option option;
    const char* shortName; // nullptr: none
    const char* longName;
    const char* valueName; // nullptr: a switch
    const char* description;
    const char* defaultValue = nullptr;
    // The values the option takes, put in for the description's %1.
    QString (*values)() = nullptr;
};

// In the order --help lists them.
constexpr OptionRow kOptions[] = {
    {Option::Type, "t", "type", "TYPE",
     "Symbology: %1, the window's own, or any other that --list-types lists, such as qr, "
     "datamatrix, gs1-128 or ean8 (default code39).",
     "code39", typeNames},
    {Option::Data, "d", "data", "DATA", "The data to encode."},
    {Option::Output, "o", "output", "FILE",
     "The file to write; png, svg, pdf, bmp, tiff or tif by its extension; - writes PNG to "
     "standard output. With --batch a pattern: {n} the line number, {data} the line's data."},
    {Option::Batch, nullptr, "batch", "FILE", "One symbol per line of FILE (- for standard input)."},
    {Option::Sheet, nullptr, "sheet", "PRODUCT",
     "A sheet of labels, one symbol each: a label product by brand and part (\"Avery 5160\"), "
     "written as the PDF --output names."},
    {Option::CustomSheet, nullptr, "custom-sheet", "SPEC",
     "A sheet no product describes: page=A4|WxH,label=WxH|DIAMETER,grid=COLSxROWS[,first=LEFTxTOP]"
     "[,pitch=ACROSSxDOWN][,margin=M][,round]; lengths in mm unless they say in, cm or pt."},
    {Option::ListSheets, nullptr, "list-sheets", nullptr,
     "List the label products whose brand, part or description hold the words given after it, and exit."},
    {Option::FirstLabel, nullptr, "first-label", "N", "Start the first sheet at label N (default 1)."},
    {Option::Copies, nullptr, "copies", "N", "Labels each symbol fills (default 1)."},
    {Option::Csv, nullptr, "csv", nullptr, "The --batch file is CSV (RFC 4180)."},
    {Option::Header, nullptr, "header", nullptr, "The CSV file's first row names its columns."},
    {Option::Column, nullptr, "column", "COLUMN",
     "The CSV column of the data, by number from 1 or by header name (default 1)."},
    {Option::CaptionColumn, nullptr, "caption-column", "COLUMN",
     "A CSV column printed under each symbol; may be given for several lines."},
    {Option::Caption, nullptr, "caption", nullptr, "Print the data under each symbol."},
    {Option::BadLines, nullptr, "bad-lines", "empty|skip",
     "A line that cannot be drawn leaves its label empty, or gives it to the next line (default empty)."},
    {Option::NoOptimize, nullptr, "no-optimize", nullptr,
     "Clear \"Optimize for Printing\" (linear symbologies)."},
    {Option::NoLabel, nullptr, "no-label", nullptr, "Clear \"Add Label\" (linear symbologies)."},
    {Option::Check, nullptr, "check", nullptr,
     "Check \"Add Check Character\" (Code 39, Interleaved 2 of 5)."},
    {Option::Addon, nullptr, "addon", "DIGITS",
     "A 2- or 5-digit add-on (EAN-13, JAN-13, ISBN, UPC-A, EAN-8, UPC-E); the symbol is drawn "
     "in the standard proportions."},
    {Option::Ecc, nullptr, "ecc", "LEVEL",
     "Error correction level where the symbology has a choice: L, M, Q or H for qr; "
     "--list-types names the symbologies."},
    {Option::SymbolSize, nullptr, "symbol-size", "N",
     "A 2D symbol's version or size: its number from 1, or its name such as 21x21 (default: "
     "the smallest that holds the data)."},
    {Option::Proportions, nullptr, "proportions", "KIND",
     "standard or window: the EAN-13, JAN-13, ISBN and UPC-A bars, guards and digits in the "
     "standard proportions, or as the window draws them (default window)."},
    {Option::ModuleMm, nullptr, "module-mm", "MM",
     "Module width in millimetres (default: one pixel at 96 dpi)."},
    {Option::Dpi, nullptr, "dpi", "N",
     "Resolution of a PNG, BMP or TIFF file, and of the picture an SVG or PDF "
     "is read back from (default 96)."},
    {Option::Fg, nullptr, "fg", "COLOR", "Bar colour: a name or #rrggbb (default black)."},
    {Option::Bg, nullptr, "bg", "COLOR", "Background colour: a name or #rrggbb (default white)."},
    {Option::Transparent, nullptr, "transparent", nullptr, "No background (PNG, SVG, PDF)."},
    {Option::Font, nullptr, "font", "FAMILY", "Label font family (default Tahoma)."},
    {Option::Force, nullptr, "force", nullptr, "Replace existing files."},
    {Option::Jobs, nullptr, "jobs", "N", "Workers for --batch (default: one per core)."},
    {Option::Quiet, nullptr, "quiet", nullptr, "No progress line for --batch."},
    {Option::Verify, nullptr, "verify", nullptr,
     "Decode each symbol before it is written; one that does not read back as its data, "
     "or that no decoder reads, is not written and fails. Without it every symbol is still "
     "checked, with a warning, and a symbology no decoder reads is written with a note."},
    {Option::NoVerify, nullptr, "no-verify", nullptr,
     "Do not decode the symbols written: a batch runs faster, but a symbol that will not "
     "scan goes unnoticed."},
    {Option::ListTypes, nullptr, "list-types", nullptr,
     "List every symbology with what it is for and the data it takes, and exit."},
    {Option::Help, "h", "help", nullptr, "Show this help and exit."},
    {Option::Version, "v", "version", nullptr, "Show the version and exit."},
};

constexpr bool rowsInOrder()
{
    for (std::size_t i = 0; i < std::size(kOptions); ++i)
        if (kOptions[i].option != Option(i))
            return false;
    return std::size(kOptions) == std::size_t(Option::Version) + 1;
}
static_assert(rowsInOrder(), "one row for each Option, in its order");

const char* const kDescription =
    "Draws a barcode without opening the window: the window's eight symbologies exactly\n"
    "as the window draws them, every other (--list-types) through libzint.\n"
    "Without arguments the window opens.\n\n"
    "Examples:\n"
    "  barcode-generator -t code128 -d 'HELLO 123' -o hello.png\n"
    "  barcode-generator -t ean13 -d 501234567890 --module-mm 0.33 --dpi 300 -o ean.pdf\n"
    "  barcode-generator -t code39 --batch items.txt -o 'labels/{n}.png'\n"
    "  seq 100001 100100 | barcode-generator -t itf --batch - -o 'itf-{data}.svg'\n"
    "  barcode-generator -t isbn -d 978-0-306-40615-7 --addon 51299 -o book.svg\n"
    "  barcode-generator -t qr -d 'https://example.com/item/42' --ecc H -o item.png\n"
    "  barcode-generator -t gs1-128 -d '[01]09501101530003[17]261231' -o case.pdf\n"
    "  barcode-generator -t code128 --sheet 'Avery 5160' --batch skus.txt --caption -o labels.pdf\n"
    "  barcode-generator --list-sheets 5160\n\n"
    "With --batch a file's lines are counted first and {n} is padded to the count's width;\n"
    "lines from standard input are numbered without padding. No file is replaced without\n"
    "--force. Exit status: 0 all written, 1 bad data or a file not written, 2 usage error.";

QCommandLineOption commandLineOption(const OptionRow& row)
{
    QStringList names;
    if (row.shortName)
        names << QString::fromLatin1(row.shortName);
    names << QString::fromLatin1(row.longName);
    QString description = QString::fromUtf8(row.description);
    if (row.values)
        description = description.arg(row.values());
    return QCommandLineOption(names, description,
                              row.valueName ? QString::fromLatin1(row.valueName) : QString(),
                              row.defaultValue ? QString::fromLatin1(row.defaultValue) : QString());
}

// The arguments being read: the parser's answers by row, and the settings
// and warnings made of them so far.
struct Reading {
    const QCommandLineParser& parser;
    const ClosedStreams closed;
    Settings& settings;
    QStringList& warnings;

    static QString name(Option option) { return QString::fromLatin1(kOptions[std::size_t(option)].longName); }
    bool isSet(Option option) const { return parser.isSet(name(option)); }
    QString value(Option option) const { return parser.value(name(option)); }
};

using Outcome = std::optional<Refusal>;

Outcome usage(const QString& text)
{
    return Refusal{text, kUsage};
}

Outcome failure(const QString& text)
{
    return Refusal{text, kFailed};
}

// The window's eight by their own names, every other symbology through the library.
Outcome readType(Reading& r)
{
    const QString name = r.value(Option::Type);
    if (const auto symbology = output::symbologyFromName(name)) {
        r.settings.symbology = *symbology;
        return {};
    }
    if (const zintsym::Kind* kind = zintsym::kindNamed(name)) {
        r.settings.library.kind = kind;
        return {};
    }
    return usage(
        QStringLiteral("unknown type '%1' (%2, or one that --list-types lists)").arg(name, typeNames()));
}

Outcome readSource(Reading& r)
{
    const bool batch = r.isSet(Option::Batch);
    if (batch == r.isSet(Option::Data))
        return usage(batch ? QStringLiteral("--data and --batch exclude each other")
                           : QStringLiteral("--data or --batch is needed"));
    r.settings.action = batch ? Action::Batch : Action::OneSymbol;
    r.settings.data = r.value(Option::Data);
    r.settings.batchSource = r.value(Option::Batch);
    return {};
}

// A sheet of labels takes the source and the target of one symbol or a batch,
// and options of its own; checked against the label data before anything is
// drawn.
Outcome readSheet(Reading& r)
{
    Settings& s = r.settings;
    const bool product = r.isSet(Option::Sheet);
    const bool custom = r.isSet(Option::CustomSheet);
    if (!product && !custom) {
        for (const Option only : {Option::FirstLabel, Option::Copies, Option::Csv, Option::Header,
                                  Option::Column, Option::CaptionColumn, Option::Caption, Option::BadLines})
            if (r.isSet(only))
                return usage(QStringLiteral("--%1 needs --sheet or --custom-sheet").arg(Reading::name(only)));
        return {};
    }
    if (product && custom)
        return usage(QStringLiteral("--sheet and --custom-sheet exclude each other"));
    s.action = Action::Sheet;
    s.sheet.product = r.value(Option::Sheet);
    s.sheet.customSpec = r.value(Option::CustomSheet);
    const auto whole = [&](Option option, int& value, int most) -> Outcome {
        if (!r.isSet(option))
            return {};
        bool ok = false;
        value = r.value(option).toInt(&ok);
        if (!ok || value < 1 || value > most)
            return usage(QStringLiteral("--%1 takes a whole number from 1 to %2")
                             .arg(Reading::name(option))
                             .arg(most));
        return {};
    };
    if (Outcome bad = whole(Option::FirstLabel, s.sheet.firstLabel, 10000))
        return bad;
    if (Outcome bad = whole(Option::Copies, s.sheet.copies, 100000))
        return bad;
    s.sheet.csv = r.isSet(Option::Csv) || r.isSet(Option::Header);
    s.sheet.header = r.isSet(Option::Header);
    if (!s.sheet.csv && (r.isSet(Option::Column) || r.isSet(Option::CaptionColumn)))
        return usage(QStringLiteral("--column and --caption-column choose columns of a --csv file"));
    if (s.sheet.csv && s.batchSource.isEmpty())
        return usage(QStringLiteral("--csv reads the --batch file"));
    if (r.isSet(Option::Column))
        s.sheet.column = r.value(Option::Column);
    s.sheet.captionColumns = r.parser.values(Reading::name(Option::CaptionColumn));
    s.sheet.caption = r.isSet(Option::Caption);
    if (s.sheet.caption && !s.sheet.captionColumns.isEmpty())
        return usage(QStringLiteral("--caption and --caption-column exclude each other"));
    if (r.isSet(Option::BadLines)) {
        const QString fate = r.value(Option::BadLines);
        if (fate != QLatin1String("empty") && fate != QLatin1String("skip"))
            return usage(QStringLiteral("--bad-lines takes empty or skip"));
        s.sheet.skipBad = fate == QLatin1String("skip");
    }
    if (custom) {
        const sheets::CustomSheetParse parsed = sheets::parseCustomSheet(s.sheet.customSpec);
        if (!parsed.custom)
            return usage(QStringLiteral("--custom-sheet: %1").arg(parsed.error));
        if (const sheets::SheetResult made = sheets::makeSheet(*parsed.custom); !made.ok())
            return usage(QStringLiteral("--custom-sheet: %1").arg(made.error));
    }
    return {};
}

// A sheet is a PDF: the labels' places are exact in it.
Outcome readSheetTarget(Reading& r)
{
    Settings& s = r.settings;
    if (s.action != Action::Sheet)
        return {};
    if (s.target == QLatin1String("-") ||
        QFileInfo(s.target).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) != 0)
        return usage(QStringLiteral("a sheet of labels is written as a PDF: --output needs a .pdf file"));
    s.file.format = output::Format::Pdf;
    for (const Option colour : {Option::Fg, Option::Bg, Option::Transparent})
        if (r.isSet(colour))
            return usage(QStringLiteral("--%1: sheets of labels are printed black on white")
                             .arg(Reading::name(colour)));
    s.sheet.moduleMm = r.isSet(Option::ModuleMm) ? s.file.moduleMm : 0;
    // The labels are read back as a printer of this resolution prints them.
    if (!r.isSet(Option::Dpi))
        s.file.dpi = 300;
    return {};
}

// The closed streams fail rather than refuse: the arguments are right, the
// call is not.
Outcome readTarget(Reading& r)
{
    if (!r.isSet(Option::Output))
        return usage(QStringLiteral("--output is needed"));
    Settings& s = r.settings;
    s.target = r.value(Option::Output);
    if (s.target == QLatin1String("-") && r.closed.output)
        return failure(QStringLiteral("standard output is closed: nothing written"));
    if (s.action == Action::Batch && s.batchSource == QLatin1String("-") && r.closed.input)
        return failure(QStringLiteral("standard input is closed: no lines to read"));
    return {};
}

Outcome readFormat(Reading& r)
{
    Settings& s = r.settings;
    if (s.target == QLatin1String("-")) {
        if (s.action == Action::Batch)
            return usage(QStringLiteral("--batch writes files: --output needs a pattern, not -"));
        s.file.format = output::Format::Png;
        return {};
    }
    if (const auto format = output::formatFromSuffix(QFileInfo(s.target).suffix());
        format && output::isAvailable(*format)) {
        s.file.format = *format;
        return {};
    }
    QStringList suffixes;
    for (const output::Format f : output::availableFormats())
        suffixes << output::formatSuffixes(f);
    return usage(QStringLiteral("'%1': the extension must be one of %2")
                     .arg(s.target, suffixes.join(QStringLiteral(", "))));
}

Outcome readModuleWidth(Reading& r)
{
    if (!r.isSet(Option::ModuleMm))
        return {};
    bool ok = false;
    r.settings.file.moduleMm = r.value(Option::ModuleMm).toDouble(&ok);
    if (!ok)
        return usage(QStringLiteral("--module-mm takes a width in millimetres"));
    return {};
}

Outcome readResolution(Reading& r)
{
    if (!r.isSet(Option::Dpi))
        return {};
    bool ok = false;
    r.settings.file.dpi = r.value(Option::Dpi).toInt(&ok);
    if (!ok)
        return usage(QStringLiteral("--dpi takes a whole number of dots per inch"));
    return {};
}

// A colour the files can take: opaque. A colour with alpha would be drawn as
// if it had none ("transparent" is black); leaving the background out is
// what --transparent is for.
Outcome readColour(Reading& r, Option option, QColor& colour)
{
    if (!r.isSet(option))
        return {};
    const QString text = r.value(option);
    colour = QColor::fromString(text);
    if (!colour.isValid())
        return usage(QStringLiteral("'%1' is not a colour").arg(text));
    if (colour.alpha() != 255)
        return usage(QStringLiteral("--%1 '%2' is not opaque: colours are drawn solid (--transparent leaves "
                                    "the background out)")
                         .arg(Reading::name(option), text));
    return {};
}

Outcome readForeground(Reading& r)
{
    return readColour(r, Option::Fg, r.settings.file.foreground);
}

Outcome readBackground(Reading& r)
{
    return readColour(r, Option::Bg, r.settings.file.background);
}

// The options nothing can be wrong with.
Outcome readSwitches(Reading& r)
{
    r.settings.file.transparent = r.isSet(Option::Transparent);
    r.settings.replace = r.isSet(Option::Force);
    r.settings.quiet = r.isSet(Option::Quiet);
    return {};
}

// The exporter's own limits, before anything is drawn: a batch would
// otherwise fail the same way on every line.
Outcome checkPlan(Reading& r)
{
    const output::ExportSettings& file = r.settings.file;
    const output::ExportPlan p = output::plan(QSize(1, 1), file);
    if (!p.ok())
        return usage(p.error);
    if (!p.warning.isEmpty())
        r.warnings << QStringLiteral("warning: %1").arg(p.warning);
    // Files of pixels hold whole pixels per module: say so when that makes the
    // module visibly another width than asked, before a batch writes thousands.
    if (const QString rounded = output::moduleRounding(p, file.moduleMm); !rounded.isEmpty())
        r.warnings << QStringLiteral("warning: a module %1 mm wide at %2 dpi: %3")
                          .arg(QString::number(file.moduleMm, 'g', 4))
                          .arg(file.dpi)
                          .arg(rounded);
    // A vector file is read back from its picture at --dpi: that resolution must
    // be one a picture can have too.
    if (output::isVector(file.format)) {
        output::ExportSettings pixels = file;
        pixels.format = output::Format::Png;
        if (const output::ExportPlan picture = output::plan(QSize(1, 1), pixels); !picture.ok())
            return usage(picture.error);
    }
    return {};
}

Outcome readFont(Reading& r)
{
    if (!r.isSet(Option::Font))
        return {};
    output::ensureTahoma();
    r.settings.font = r.value(Option::Font);
    if (!QFontDatabase::hasFamily(r.settings.font))
        return usage(QStringLiteral("no font family '%1' is installed").arg(r.settings.font));
    return {};
}

Outcome readJobs(Reading& r)
{
    if (!r.isSet(Option::Jobs))
        return {};
    bool ok = false;
    const int jobs = r.value(Option::Jobs).toInt(&ok);
    r.settings.jobs = jobs;
    if (!ok || jobs < 1 || jobs > 256)
        return usage(QStringLiteral("--jobs takes a whole number from 1 to 256"));
    return {};
}

Outcome readVerify(Reading& r)
{
    if (r.isSet(Option::Verify) && r.isSet(Option::NoVerify))
        return usage(QStringLiteral("--verify and --no-verify cannot be given together"));
    r.settings.readBack = !r.isSet(Option::NoVerify);
    r.settings.verify = r.isSet(Option::Verify);
    return {};
}

// The window's three boxes. Where the window greys a box the option cannot
// change it; say so rather than drawing something else than was asked
// without a word. A symbology of the library's has its text or not, and
// nothing else of the boxes.
Outcome readBoxes(Reading& r)
{
    static constexpr std::array<Option, 3> boxes = {Option::NoOptimize, Option::NoLabel, Option::Check};
    Settings& s = r.settings;
    if (const zintsym::Kind* kind = s.library.kind) {
        for (const Option option : {Option::NoOptimize, Option::Check})
            if (r.isSet(option))
                return usage(
                    QStringLiteral("--%1 does not apply to %2: it is for the window's own symbologies")
                        .arg(Reading::name(option), QString::fromUtf8(kind->title)));
        s.library.options.showText = !r.isSet(Option::NoLabel);
        return {};
    }
    s.asked = {.optimize = r.isSet(Option::NoOptimize) ? 0 : 1,
               .label = r.isSet(Option::NoLabel) ? 0 : 1,
               .check = r.isSet(Option::Check) ? 1 : 0};
    for (const int box : output::settleOptions(s.symbology, s.asked).overruled) {
        const Option option = boxes[std::size_t(box)];
        if (!r.isSet(option))
            continue;
        const QString asked = QStringLiteral("--") + Reading::name(option);
        r.warnings << QStringLiteral("%1 is fixed for %2 (\"%3\" %4); %5 ignored")
                          .arg(asked, output::symbologyTitle(s.symbology),
                               QLatin1String(output::kBoxCaptions[std::size_t(box)]),
                               box == 2 && s.symbology == output::Symbology::Codabar
                                   ? QStringLiteral("clear")
                                   : QStringLiteral("checked"),
                               asked);
    }
    return {};
}

QString chosenTitle(const Settings& s)
{
    return output::choiceTitle(s.symbology, s.library);
}

Outcome doesNotApply(Option option, const Settings& s, const QString& to)
{
    return usage(
        QStringLiteral("--%1 does not apply to %2: %3").arg(Reading::name(option), chosenTitle(s), to));
}

Outcome readAddon(Reading& r)
{
    if (!r.isSet(Option::Addon))
        return {};
    Settings& s = r.settings;
    const bool takes =
        s.library.kind ? (s.library.kind->options & zintsym::Addon) != 0 : output::isEanFamily(s.symbology);
    if (!takes)
        return doesNotApply(
            Option::Addon, s,
            QStringLiteral("only EAN-13, JAN-13, ISBN, UPC-A, EAN-8 and UPC-E take an add-on"));
    const QString addon = r.value(Option::Addon);
    static const QRegularExpression digits(QStringLiteral("^(\\d{2}|\\d{5})$"));
    if (!digits.match(addon).hasMatch())
        return usage(QStringLiteral("--addon takes 2 or 5 digits, not '%1'").arg(addon));
    s.library.options.addon = addon;
    return {};
}

Outcome readEcc(Reading& r)
{
    if (!r.isSet(Option::Ecc))
        return {};
    Settings& s = r.settings;
    const QStringList levels = s.library.kind ? zintsym::eccLevels(*s.library.kind) : QStringList();
    if (levels.isEmpty())
        return doesNotApply(Option::Ecc, s, QStringLiteral("it has no error correction level to choose"));
    const QString asked = r.value(Option::Ecc);
    for (const QString& level : levels)
        if (level.compare(asked, Qt::CaseInsensitive) == 0) {
            s.library.options.ecc = level;
            return {};
        }
    return usage(QStringLiteral("--ecc takes %1 for %2, not '%3'")
                     .arg(levels.join(QStringLiteral(", ")), chosenTitle(s), asked));
}

// A size by its number from 1, by its whole name ("21x21 (version 1)"), or by
// the name before its note ("21x21").
Outcome readSymbolSize(Reading& r)
{
    if (!r.isSet(Option::SymbolSize))
        return {};
    Settings& s = r.settings;
    const QStringList sizes = s.library.kind ? zintsym::symbolSizes(*s.library.kind) : QStringList();
    if (sizes.isEmpty())
        return doesNotApply(Option::SymbolSize, s, QStringLiteral("it has no choice of size"));
    const QString asked = r.value(Option::SymbolSize).trimmed();
    bool number = false;
    const int n = asked.toInt(&number);
    if (number && n >= 1 && n <= sizes.size()) {
        s.library.options.symbolSize = n;
        return {};
    }
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const QString& size = sizes.at(i);
        const QString shortName = size.section(QStringLiteral(" ("), 0, 0);
        if (!number && (size.compare(asked, Qt::CaseInsensitive) == 0 ||
                        shortName.compare(asked, Qt::CaseInsensitive) == 0)) {
            s.library.options.symbolSize = int(i) + 1;
            return {};
        }
    }
    return usage(QStringLiteral("--symbol-size takes 1 to %1 or a size's name for %2 (%3), not '%4'")
                     .arg(sizes.size())
                     .arg(chosenTitle(s), sizes.join(QStringLiteral(", ")), asked));
}

Outcome readProportions(Reading& r)
{
    Settings& s = r.settings;
    if (!r.isSet(Option::Proportions))
        return {};
    if (s.library.kind || !output::isEanFamily(s.symbology))
        return doesNotApply(Option::Proportions, s,
                            QStringLiteral("only the window's EAN-13, JAN-13, ISBN and UPC-A have another"));
    const QString asked = r.value(Option::Proportions);
    if (asked == QLatin1String("standard"))
        s.library.standardProportions = true;
    else if (asked != QLatin1String("window"))
        return usage(QStringLiteral("--proportions takes standard or window, not '%1'").arg(asked));
    else if (!s.library.options.addon.isEmpty())
        return usage(QStringLiteral(
            "--addon is drawn in the standard proportions: --proportions window has no add-on"));
    return {};
}

// Batches refuse what would fail on every line before reading a line. A
// placeholder the pattern does not know would name every file after a typo.
Outcome checkPattern(Reading& r)
{
    if (r.settings.action != Action::Batch)
        return {};
    const QString& pattern = r.settings.target;
    if (const QString unknown = output::unknownPlaceholder(pattern); !unknown.isEmpty())
        return usage(
            QStringLiteral("the --output pattern has %1: the placeholders are {n} and {data}").arg(unknown));
    if (!output::patternNamesEachLine(pattern))
        return usage(QStringLiteral("the --output pattern needs {n} or {data} to name each line's file"));
    return {};
}

// In the order their messages come; each reads its options into the settings.
// One a line, so that a new option is a new line.
using Reader = Outcome (*)(Reading&);
// clang-format off
constexpr Reader kReaders[] = {
    readType,
    readSource,
    readSheet,
    readTarget,
    readFormat,
    readSheetTarget,
    readModuleWidth,
    readResolution,
    readForeground,
    readBackground,
    readSwitches,
    checkPlan,
    readFont,
    readJobs,
    readVerify,
    readBoxes,
    readAddon,
    readEcc,
    readSymbolSize,
    readProportions,
    checkPattern,
};
// clang-format on

} // namespace

ParsedArguments parseArguments(const QStringList& arguments, ClosedStreams closed)
{
    ParsedArguments parsed;
    Settings& s = parsed.settings;
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    for (const OptionRow& row : kOptions)
        parser.addOption(commandLineOption(row));
    if (!parser.parse(arguments)) {
        parsed.refusal = usage(parser.errorText());
        return parsed;
    }
    Reading r{parser, closed, s, parsed.warnings};
    if (r.isSet(Option::Help)) {
        s.action = Action::Help;
        s.shown = parser.helpText();
        return parsed;
    }
    if (r.isSet(Option::ListTypes)) {
        s.action = Action::ListTypes;
        s.shown = typeList();
        return parsed;
    }
    if (r.isSet(Option::Version)) {
        s.action = Action::Version;
        s.shown = QStringLiteral("barcode-generator " BARCODE_VERSION "\n");
        return parsed;
    }
    if (r.isSet(Option::ListSheets)) {
        s.action = Action::ListSheets;
        s.sheet.search = parser.positionalArguments().join(QLatin1Char(' '));
        return parsed;
    }
    if (!parser.positionalArguments().isEmpty()) {
        parsed.refusal =
            usage(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
        return parsed;
    }
    for (const Reader read : kReaders)
        if ((parsed.refusal = read(r)))
            break;
    return parsed;
}

} // namespace cli
