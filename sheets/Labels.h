#pragma once

// What goes on the labels: one item a label (or `copies` labels), read from
// the data given, from lines of text or from a CSV file.

#include "jobs/CsvReader.h"

#include <QString>
#include <QStringList>

#include <vector>

class QIODevice;

namespace sheets {

struct LabelItem {
    QString data;        // what the symbol encodes
    QStringList caption; // lines under the symbol; empty for none
    qint64 line = 0;     // where it was read (1-based); 0 for data given directly
};

// An input line that gives no label, or a label whose symbol cannot be drawn.
struct BadItem {
    qint64 line = 0; // 0 for data given directly
    QString message;
};

enum class CaptionSource { None, Data, Columns };

struct SourceOptions {
    CaptionSource caption = CaptionSource::None;
    // CSV only.
    bool csv = false;
    bool header = false;                           // the first record names the columns
    output::CsvColumn column{1, {}};               // the data
    std::vector<output::CsvColumn> captionColumns; // with CaptionSource::Columns
};

struct LabelSource {
    std::vector<LabelItem> items;
    std::vector<BadItem> bad; // lines that gave no item (a record too short, say)
    QString error;            // the input as a whole cannot be used: nothing is printed
    bool ok() const { return error.isEmpty(); }
};

// The one symbol of the window or of -d.
LabelSource fromData(const QString& data, const SourceOptions& options);
// Lines of text (a file, standard input, pasted text): one item a line, blank
// lines skipped; with options.csv, CSV records and their columns.
LabelSource fromText(QStringView text, const SourceOptions& options);
LabelSource fromDevice(QIODevice& input, const SourceOptions& options);

} // namespace sheets
