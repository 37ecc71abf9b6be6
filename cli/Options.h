#pragma once

#include "cli/CommandLine.h"
#include "formats/Export.h"
#include "jobs/Choice.h"
#include "jobs/SymbolJob.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

constexpr double kMmPerInch = 25.4;
constexpr int kScreenDpi = 96;

// The standard streams the caller closed (held open on /dev/null since).
struct ClosedStreams {
    bool input = false;
    bool output = false;
};

enum class Action { Help, Version, ListTypes, OneSymbol, Batch, Sheet, ListSheets };

// What the arguments ask for, read and checked: all a job needs to know.
struct Settings {
    Action action = Action::OneSymbol;
    // The help, the version or the list of types, for standard output.
    QString shown;

    output::Symbology symbology{};
    linear::Options asked;
    // A symbology of the library's, or the window's EAN family drawn by it.
    output::LibraryChoice library;
    QString data;
    // The file of lines, or "-" for standard input.
    QString batchSource;
    // The file, "-" for standard output, or a batch's pattern.
    QString target;
    // Without a module width a module is one pixel on a 96-dpi screen: the
    // window's picture. A resolution alone keeps that size.
    output::ExportSettings file{.moduleMm = kMmPerInch / kScreenDpi, .dpi = kScreenDpi};
    QString font;
    int jobs = 0; // 0: one per core
    bool replace = false;
    bool quiet = false;
    // Every picture is read back; with verify one that does not read is refused.
    bool readBack = true;
    bool verify = false;

    // A sheet of labels (--sheet, --custom-sheet); --list-sheets lists products
    // matching `sheetSearch`.
    struct SheetJob {
        QString product;     // "Avery 5160", as given
        QString customSpec;  // or a custom sheet
        QString search;
        int firstLabel = 1;
        int copies = 1;
        bool csv = false;
        bool header = false;
        QString column = QStringLiteral("1");
        QStringList captionColumns;
        bool caption = false; // the data under each symbol
        bool skipBad = false; // a bad line's label goes to the next line
        double moduleMm = 0;  // 0: each symbol as large as its label takes
    } sheet;
};

// Arguments that will not run: the message, and the exit status.
struct Refusal {
    QString message;
    int status = kUsage;
};

struct ParsedArguments {
    Settings settings;
    // Said before anything else, even when the arguments are refused.
    QStringList warnings;
    std::optional<Refusal> refusal;
};

// Reads and checks the arguments (the program's name first), in the order
// their messages come: the first refusal ends the reading.
ParsedArguments parseArguments(const QStringList& arguments, ClosedStreams closed);

} // namespace cli
