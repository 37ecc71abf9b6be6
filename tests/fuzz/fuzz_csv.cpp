// The CSV reader: any text is read or refused with a line number, never
// crashes; what it reads, written back with every field quoted, reads back
// the same, on the same lines.
#include "FuzzInput.h"
#include "jobs/CsvReader.h"

#include <cstdio>
#include <cstdlib>

namespace {

QString written(const std::vector<output::CsvRecord>& records)
{
    QString text;
    for (const output::CsvRecord& record : records) {
        for (qsizetype i = 0; i < record.fields.size(); ++i) {
            if (i > 0)
                text += u',';
            QString field = record.fields[i];
            field.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            text += u'"' + field + u'"';
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::Input in = fuzz::read(data, size);
    const bool header = in.flags & 1;
    const output::CsvTable table = output::parseCsv(in.text, header);
    if (!table.ok()) {
        FUZZ_REQUIRE(table.error.startsWith(QStringLiteral("Line ")));
        FUZZ_REQUIRE(table.records.empty());
        return 0;
    }
    qint64 line = 0;
    for (const output::CsvRecord& record : table.records) {
        FUZZ_REQUIRE(record.line > line);
        FUZZ_REQUIRE(!record.fields.isEmpty());
        line = record.line;
    }
    const output::CsvTable again = output::parseCsv(written(table.records), false);
    FUZZ_REQUIRE(again.ok());
    FUZZ_REQUIRE(again.records.size() == table.records.size());
    for (std::size_t i = 0; i < table.records.size(); ++i) {
        FUZZ_REQUIRE(again.records[i].fields == table.records[i].fields);
        // A record takes its line and one more for each line break in its
        // fields; blank lines left out only ever add to that.
        if (i + 1 < table.records.size()) {
            qint64 breaks = 0;
            for (const QString& field : table.records[i].fields)
                breaks += field.count(u'\n');
            FUZZ_REQUIRE(again.records[i + 1].line - again.records[i].line == 1 + breaks);
            FUZZ_REQUIRE(table.records[i + 1].line - table.records[i].line >= 1 + breaks);
        }
    }
    return 0;
}
