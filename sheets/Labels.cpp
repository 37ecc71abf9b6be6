#include "sheets/Labels.h"

#include "jobs/LineReader.h"

#include <QIODevice>

#include <algorithm>

namespace sheets {

namespace {

QStringList dataCaption(const QString& data, const SourceOptions& options)
{
    return options.caption == CaptionSource::Data ? QStringList{data} : QStringList{};
}

LabelSource fromCsv(QStringView text, const SourceOptions& options)
{
    LabelSource source;
    const output::CsvTable table = output::parseCsv(text, options.header);
    if (!table.ok()) {
        source.error = table.error;
        return source;
    }
    const output::CsvIndex data = output::resolveColumn(options.column, table);
    if (!data.ok()) {
        source.error = data.error;
        return source;
    }
    std::vector<int> captions;
    if (options.caption == CaptionSource::Columns) {
        for (const output::CsvColumn& column : options.captionColumns) {
            const output::CsvIndex index = output::resolveColumn(column, table);
            if (!index.ok()) {
                source.error = index.error;
                return source;
            }
            captions.push_back(index.index);
        }
    }
    for (const output::CsvRecord& record : table.records) {
        if (data.index >= record.fields.size()) {
            source.bad.push_back({record.line, QStringLiteral("Line %1 has %2, no column %3.")
                                                   .arg(record.line)
                                                   .arg(record.fields.size() == 1
                                                            ? QStringLiteral("1 column")
                                                            : QStringLiteral("%1 columns").arg(record.fields.size()))
                                                   .arg(data.index + 1)});
            continue;
        }
        LabelItem item{record.fields[data.index], {}, record.line};
        if (item.data.trimmed().isEmpty()) {
            source.bad.push_back(
                {record.line,
                 QStringLiteral("Line %1 has no data in column %2.").arg(record.line).arg(data.index + 1)});
            continue;
        }
        if (options.caption == CaptionSource::Data)
            item.caption = QStringList{item.data};
        for (const int column : captions)
            item.caption << (column < record.fields.size() ? record.fields[column] : QString());
        source.items.push_back(std::move(item));
    }
    return source;
}

} // namespace

LabelSource fromData(const QString& data, const SourceOptions& options)
{
    LabelSource source;
    source.items.push_back({data, dataCaption(data, options), 0});
    return source;
}

LabelSource fromText(QStringView text, const SourceOptions& options)
{
    if (text.startsWith(QChar(0xFEFF)))
        text = text.mid(1);
    if (options.csv)
        return fromCsv(text, options);
    LabelSource source;
    if (options.caption == CaptionSource::Columns) {
        source.error = QStringLiteral("Caption columns need CSV input.");
        return source;
    }
    qint64 number = 0;
    for (QStringView line : text.tokenize(QLatin1Char('\n'))) {
        ++number;
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        const QString data = line.toString();
        source.items.push_back({data, dataCaption(data, options), number});
    }
    return source;
}

LabelSource fromDevice(QIODevice& input, const SourceOptions& options)
{
    const QByteArray bytes = input.readAll();
    LabelSource source = fromText(QString::fromUtf8(bytes), options);
    // A line that is not UTF-8 would be printed as other text than was given:
    // its label (a CSV record, from the line it starts on) is refused.
    qint64 number = 0;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        ++number;
        const output::Utf8Text text = output::strictUtf8(QByteArrayView(bytes).sliced(start, end - start));
        start = end + 1;
        if (text.ok())
            continue;
        const auto item = std::find_if(source.items.rbegin(), source.items.rend(),
                                       [&](const LabelItem& i) { return i.line <= number; });
        if (item == source.items.rend())
            continue;
        source.bad.push_back({item->line, QStringLiteral("Line %1: %2").arg(number).arg(text.error)});
        source.items.erase(std::next(item).base());
    }
    std::stable_sort(source.bad.begin(), source.bad.end(),
                     [](const BadItem& a, const BadItem& b) { return a.line < b.line; });
    return source;
}

} // namespace sheets
