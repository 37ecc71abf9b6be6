#pragma once

#include "formats/Export.h"
#include "jobs/Choice.h"
#include "jobs/LineReader.h"
#include "jobs/SymbolJob.h"

#include <QString>

#include <atomic>
#include <functional>

class QIODevice;

namespace output {

struct BatchSettings {
    Symbology symbology = Symbology::Code39;
    linear::Options options;
    // A symbology of the library's instead, or the window's EAN family drawn by it.
    LibraryChoice library;
    QString labelFont;
    ExportSettings file;
    // "{n}" becomes the line number, "{data}" the line as File Save names it.
    QString pattern;
    bool replace = false;
    int jobs = 0; // workers; 0 for one per core
    // Reads each line's picture back as a decoder would, before its file is
    // put in place: the picture as render() makes it for `file`, and what it
    // should read as. Returns why it does not read back, or nothing.
    ReadBack check;
    // A line whose picture does not read back is not written and counts as
    // failed; otherwise it is written and reported with the reason.
    bool refuseUnread = false;
};

// What became of one line; reported in line order.
struct LineOutcome {
    qint64 line = 0;
    QString path;    // the file it was meant for, when it got that far
    QString message; // the window's message, or why the file was not written
    QString unread;  // written, but the decoder did not read it back as its data: why
    bool written = false;
};

struct BatchProgress {
    qint64 done = 0;
    qint64 total = -1; // unknown while the input streams in
    qint64 failed = 0;
    double seconds = 0;
};

struct BatchSummary {
    qint64 lines = 0; // lines with data; blank lines are skipped
    qint64 written = 0;
    qint64 failed = 0;
    qint64 unread = 0; // written, but not read back as their data
    bool cancelled = false;
    QString inputError; // why the input could not be read to its end
};

// "{n}" padded with zeros to `width` digits (no padding for 0), "{data}" made
// safe as one file name: no separator, and never "." or "..".
QString batchPath(const QString& pattern, qint64 line, int width, const QString& data);

// Does the pattern name each line's file apart from the others?
bool patternNamesEachLine(const QString& pattern);

// The first "{...}" in the pattern that is neither {n} nor {data}, or nothing:
// kept as it is, it would name every file after a typing error.
QString unknownPlaceholder(const QString& pattern);

// Draws one symbol per line of the input and writes it to the pattern's file.
// The lines are read as they come and drawn on all workers at once, a bounded
// number ahead of the one being written; files are put in place and outcomes
// reported in line order, so the result is the same for any number of workers.
// While the input has nothing more to read, every line drawn is put in place,
// so a slow producer sees each file soon after its line.
//
// Blank lines are skipped (they still count for {n}). A line longer than
// kMaxDataLength is refused without being read whole. A line whose file
// would take the place of one this batch wrote is refused: a batch never
// replaces its own files, whatever `replace` says. A line that runs out of
// memory is refused alone.
//
// `report` runs on the calling thread for each line not written or not read
// back, `progress` after every line. A cancel, which may be set from a signal
// handler, stops before the next line is put in place: every file written is
// complete and no temporary file is left.
class BatchRunner {
  public:
    using Report = std::function<void(const LineOutcome&)>;
    using Progress = std::function<void(const BatchProgress&)>;

    explicit BatchRunner(BatchSettings settings);
    BatchSummary run(QIODevice& input, qint64 totalLines, const Report& report, const Progress& progress,
                     const std::atomic<bool>* cancel = nullptr);

  private:
    BatchSettings m_settings;
};

} // namespace output
