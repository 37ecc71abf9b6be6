#pragma once

// Sheets of labels painted: a page onto any painter (the dialog's preview,
// with the labels' outlines), every page onto a printer, or a whole PDF file.

#include "formats/SaveFile.h"
#include "jobs/SymbolJob.h"
#include "sheets/SheetLayout.h"

#include <QByteArray>
#include <QPageLayout>
#include <QString>
#include <QStringList>

#include <vector>

class QPagedPaintDevice;
class QPainter;

namespace sheets {

// A label noted while painting: named by page, row and column (all 1-based
// in the text), with its input line.
struct LabelNote {
    int page = 0; // 0-based, as the rest
    int row = 0;
    int column = 0;
    qint64 line = 0;
    QString data;
    QString message;
    QString text() const; // "page 2, row 3, column 1 (line 45): ..."
};

// One line a kind of note, naming the first label it was said of and counting
// the others: a sheet of long data would otherwise say the same of each of its
// thousands of labels.
QStringList groupedNotes(const std::vector<LabelNote>& notes);

struct PaintOptions {
    // The labels' outlines, for a preview: never printed.
    bool outlines = false;
    // Each symbol at exactly the module asked for where it fits (a PDF); else
    // whole dots at the device's resolution.
    bool exactModule = false;
    // Symbols sized for this resolution rather than the painter's: a preview
    // on the screen shows each symbol at the size a printer of this many dots
    // to the inch gets (drawn at that size, not in whole screen pixels). 0:
    // the painter's own, or `checkDpi` with `exactModule`.
    int fitDpi = 0;
    // Reads each label's symbol back at `checkDpi` (the output's resolution:
    // the printer's, or the one a PDF is meant for) as output::encodeChecked
    // does; labels that do not read are noted.
    output::ReadBack readBack;
    int checkDpi = 600;
};

struct PaintResult {
    QString error;                   // the pages were not (all) made
    std::vector<LabelNote> unread;   // symbols that did not read back
    std::vector<LabelNote> warnings; // too small to read reliably
    std::vector<LabelNote> empty;    // left empty: the symbol does not fit the label
    int pages = 0;
    int labels = 0;
    // Not written: a file was there and the save options keep it.
    bool existed = false;
    bool ok() const { return error.isEmpty(); }
};

// Lets Qt keep label text of up to 256 pixels in its glyph cache. The labels
// are read back from pictures at the printer's resolution, where the label
// text passes the 64 pixels above which Qt draws every glyph as an outline,
// uncached: 3,000 labels took 12 s at 600 dpi instead of 0.8 s. Qt reads the
// limit once, when the process first draws text: call this before that (before
// the application object, in a program with a window). A limit the user set
// in the environment is kept.
void cacheLargeGlyphs();

// The sheet's page with no margins, for a printer or a PDF writer.
QPageLayout pageLayout(const Sheet& sheet);

// Paints page `page` with the painter's origin at the page's top-left corner
// and `dpiX` x `dpiY` painter units to the inch.
PaintResult paintPage(QPainter& painter, const SheetLayout& layout, int page, double dpiX, double dpiY,
                      const PaintOptions& options);

// Every page onto a printer or a PDF writer, which is given the sheet's page
// first; where the device keeps margins the pages are moved to stay in place
// on the paper. A dialog prints with output::printPages(printer, ...) around
// this, so a PDF printed to a file is whole or absent.
PaintResult paintSheet(QPagedPaintDevice& device, const SheetLayout& layout, const PaintOptions& options);

struct SheetPdf {
    QByteArray bytes;
    PaintResult result;
};
// The whole PDF in memory: exact modules, read back at options.checkDpi.
SheetPdf sheetPdf(const SheetLayout& layout, const PaintOptions& options);

// The PDF put in place whole or not at all (output::saveBytes); with
// `refuseUnread` a label that does not read back writes nothing.
PaintResult writeSheetPdf(const SheetLayout& layout, const PaintOptions& options, const QString& path,
                          bool refuseUnread, const output::SaveOptions& save = {});

} // namespace sheets
