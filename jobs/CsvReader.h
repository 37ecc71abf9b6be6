#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QIODevice;

namespace output {

// One record of a CSV file (RFC 4180): its fields unquoted, and the line of
// the file it starts on (1-based), for messages about it.
struct CsvRecord {
    QStringList fields;
    qint64 line = 0;
};

struct CsvTable {
    std::vector<CsvRecord> records; // blank lines left out; the header too when asked
    QStringList header;             // the header row's fields, when the file has one
    QString error;                  // why the text is not CSV (an unclosed quote), with its line
    bool ok() const { return error.isEmpty(); }
};

// Reads CSV text: fields separated by commas, quoted with double quotes, a
// doubled quote inside quotes standing for one; records end with LF or CR LF,
// which a quoted field may hold. A blank line is no record. With `header` the
// first record names the columns and is not one of the records.
CsvTable parseCsv(QStringView text, bool header);
// The same from a device's UTF-8 bytes (a leading byte-order mark dropped).
CsvTable readCsv(QIODevice& input, bool header);

// A column chosen by number (1 is the first) or by its header's name.
struct CsvColumn {
    int number = 0; // 1-based; 0 when chosen by name
    QString name;
    // "3" is the third column, anything else a header's name.
    static CsvColumn parse(const QString& text);
    QString toString() const;
};

// The 0-based index of the column in records of this header, or why there is
// none: a name not in the header (or no header at all), a number below 1.
struct CsvIndex {
    int index = -1;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
CsvIndex resolveColumn(const CsvColumn& column, const QStringList& header);
// The same in a table, which also refuses a column that its header row, or
// its first record where it has none, shows to be absent: a file of fewer
// columns than asked is one mistake, not a fault of each line.
CsvIndex resolveColumn(const CsvColumn& column, const CsvTable& table);

} // namespace output
