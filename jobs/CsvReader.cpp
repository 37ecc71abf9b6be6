#include "jobs/CsvReader.h"

#include <QIODevice>

namespace output {

CsvTable parseCsv(QStringView text, bool header)
{
    CsvTable table;
    if (text.startsWith(QChar(0xFEFF)))
        text = text.mid(1);
    const qsizetype size = text.size();
    qsizetype at = 0;
    qint64 line = 1;
    bool headerPending = header;
    while (at < size) {
        CsvRecord record;
        record.line = line;
        QString field;
        bool quotedAny = false;
        // A record ends at a line end outside quotes, or at the end of the text.
        for (;;) {
            if (at < size && text[at] == QLatin1Char('"') && field.isEmpty()) {
                quotedAny = true;
                const qint64 opened = line;
                ++at;
                for (;;) {
                    if (at >= size) {
                        // Nothing of a file that is not CSV is used.
                        return {{}, {}, QStringLiteral("Line %1: a quoted field is not closed.").arg(opened)};
                    }
                    const QChar c = text[at];
                    if (c == QLatin1Char('"')) {
                        if (at + 1 < size && text[at + 1] == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            at += 2;
                            continue;
                        }
                        ++at;
                        break;
                    }
                    if (c == QLatin1Char('\n'))
                        ++line;
                    field += c;
                    ++at;
                }
                // Text after the closing quote belongs to the field, as spreadsheets read it.
            }
            while (at < size && text[at] != QLatin1Char(',') && text[at] != QLatin1Char('\n') &&
                   !(text[at] == QLatin1Char('\r') && at + 1 < size && text[at + 1] == QLatin1Char('\n')) &&
                   !(text[at] == QLatin1Char('\r') && at + 1 == size))
                field += text[at++];
            record.fields.append(field);
            field.clear();
            if (at < size && text[at] == QLatin1Char(',')) {
                ++at;
                continue;
            }
            break;
        }
        // The line end.
        if (at < size && text[at] == QLatin1Char('\r'))
            ++at;
        if (at < size && text[at] == QLatin1Char('\n'))
            ++at;
        ++line;
        const bool blank =
            record.fields.size() == 1 && record.fields.front().trimmed().isEmpty() && !quotedAny;
        if (blank)
            continue;
        if (headerPending) {
            table.header = record.fields;
            headerPending = false;
            continue;
        }
        table.records.push_back(std::move(record));
    }
    return table;
}

CsvTable readCsv(QIODevice& input, bool header)
{
    return parseCsv(QString::fromUtf8(input.readAll()), header);
}

namespace {
QString counted(qsizetype columns)
{
    return columns == 1 ? QStringLiteral("1 column") : QStringLiteral("%1 columns").arg(columns);
}
} // namespace

CsvColumn CsvColumn::parse(const QString& text)
{
    bool number = false;
    const int n = text.trimmed().toInt(&number);
    if (number)
        return {n, {}};
    return {0, text};
}

QString CsvColumn::toString() const
{
    return number != 0 || name.isEmpty() ? QString::number(number) : name;
}

CsvIndex resolveColumn(const CsvColumn& column, const QStringList& header)
{
    if (column.name.isEmpty()) {
        if (column.number < 1)
            return {
                -1,
                QStringLiteral("Column %1 does not exist: columns are numbered from 1.").arg(column.number)};
        return {column.number - 1, {}};
    }
    if (header.isEmpty())
        return {-1, QStringLiteral("The column \"%1\" is chosen by name, but the input has no header row.")
                        .arg(column.name)};
    for (qsizetype i = 0; i < header.size(); ++i)
        if (header[i].trimmed().compare(column.name.trimmed(), Qt::CaseInsensitive) == 0)
            return {int(i), {}};
    return {-1, QStringLiteral("The header row has no column \"%1\"; it has %2.")
                    .arg(column.name, header.join(QStringLiteral(", ")))};
}

CsvIndex resolveColumn(const CsvColumn& column, const CsvTable& table)
{
    CsvIndex resolved = resolveColumn(column, table.header);
    if (!resolved.ok())
        return resolved;
    const QString number = QString::number(resolved.index + 1);
    if (!table.header.isEmpty() && resolved.index >= table.header.size())
        return {-1, QStringLiteral("Column %1 does not exist: the header row has %2 (%3).")
                        .arg(number, counted(table.header.size()), table.header.join(QStringLiteral(", ")))};
    if (table.header.isEmpty() && !table.records.empty() && resolved.index >= table.records.front().fields.size()) {
        const CsvRecord& first = table.records.front();
        return {-1, QStringLiteral("Column %1 does not exist: the first record (line %2) has %3.")
                        .arg(number)
                        .arg(first.line)
                        .arg(counted(first.fields.size()))};
    }
    return resolved;
}

} // namespace output
