#include "sheets/Sheet.h"

#include <QPageSize>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace sheets {

namespace {

constexpr double kMmPerInch = 25.4;
constexpr double kMmPerPoint = kMmPerInch / 72.0;
// Labels whose tops differ by less than this share a row.
constexpr double kRowToleranceMm = 0.5;

QString number(double value)
{
    // Up to three decimals, without trailing zeros: 63.5, 2.625, 38.1.
    QString text = QString::number(value, 'f', 3);
    while (text.contains(QLatin1Char('.')) &&
           (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
        text.chop(1);
    return text;
}

std::optional<double> length(QStringView text, double bareFactor)
{
    text = text.trimmed();
    struct Unit {
        const char* suffix;
        double mm;
    };
    static constexpr Unit units[] = {{"pt", kMmPerPoint}, {"in", kMmPerInch}, {"mm", 1.0}, {"cm", 10.0}};
    double factor = bareFactor;
    for (const Unit& unit : units) {
        if (text.endsWith(QLatin1StringView(unit.suffix), Qt::CaseInsensitive)) {
            factor = unit.mm;
            text.chop(2);
            text = text.trimmed();
            break;
        }
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value * factor;
}

} // namespace

QRectF Sheet::contentRect(int spot) const
{
    const QRectF rect = labelRect(spot);
    const double m = std::min(label.marginMm, std::min(rect.width(), rect.height()) / 2);
    return rect.adjusted(m, m, -m, -m);
}

QString Sheet::labelSizeText() const
{
    if (label.shape == Shape::Round)
        return QStringLiteral("%1 mm round").arg(number(label.sizeMm.width()));
    return QStringLiteral("%1 x %2 mm").arg(number(label.sizeMm.width()), number(label.sizeMm.height()));
}

QString Sheet::layoutText() const
{
    return QStringLiteral("%1 x %2 (%3 a page)").arg(columns).arg(rows).arg(labelsPerPage());
}

void orderSpots(Sheet& sheet)
{
    auto& spots = sheet.spots;
    std::stable_sort(spots.begin(), spots.end(), [](const LabelSpot& a, const LabelSpot& b) {
        return a.topLeftMm.y() < b.topLeftMm.y();
    });
    // Rows first, each row's labels then left to right.
    int row = -1;
    double rowTop = 0;
    size_t rowStart = 0;
    sheet.columns = 0;
    const auto closeRow = [&](size_t end) {
        std::sort(spots.begin() + qsizetype(rowStart), spots.begin() + qsizetype(end),
                  [](const LabelSpot& a, const LabelSpot& b) { return a.topLeftMm.x() < b.topLeftMm.x(); });
        for (size_t i = rowStart; i < end; ++i)
            spots[i].column = int(i - rowStart);
        sheet.columns = std::max(sheet.columns, int(end - rowStart));
    };
    for (size_t i = 0; i < spots.size(); ++i) {
        if (row < 0 || spots[i].topLeftMm.y() - rowTop > kRowToleranceMm) {
            if (row >= 0)
                closeRow(i);
            ++row;
            rowTop = spots[i].topLeftMm.y();
            rowStart = i;
        }
        spots[i].row = row;
    }
    if (row >= 0)
        closeRow(spots.size());
    sheet.rows = row + 1;
}

QString checkSheet(const Sheet& sheet)
{
    if (sheet.pageMm.width() <= 0 || sheet.pageMm.height() <= 0)
        return QStringLiteral("The page has no size.");
    if (sheet.label.sizeMm.width() <= 0 || sheet.label.sizeMm.height() <= 0)
        return QStringLiteral("The labels have no size.");
    if (sheet.spots.empty())
        return QStringLiteral("The sheet has no labels.");
    constexpr double tolerance = 0.01;
    const QRectF page =
        QRectF(QPointF(0, 0), sheet.pageMm).adjusted(-tolerance, -tolerance, tolerance, tolerance);
    for (int i = 0; i < sheet.labelsPerPage(); ++i) {
        const QRectF rect = sheet.labelRect(i);
        if (!page.contains(rect))
            return QStringLiteral("Label %1 (row %2, column %3) runs off the %4 x %5 mm page.")
                .arg(i + 1)
                .arg(sheet.spots[size_t(i)].row + 1)
                .arg(sheet.spots[size_t(i)].column + 1)
                .arg(number(sheet.pageMm.width()), number(sheet.pageMm.height()));
    }
    for (int i = 0; i < sheet.labelsPerPage(); ++i) {
        const QRectF a = sheet.labelRect(i).adjusted(tolerance, tolerance, -tolerance, -tolerance);
        for (int j = i + 1; j < sheet.labelsPerPage(); ++j)
            if (a.intersects(sheet.labelRect(j)))
                return QStringLiteral("Labels %1 and %2 overlap: the pitch is smaller than the label.")
                    .arg(i + 1)
                    .arg(j + 1);
    }
    if (sheet.label.marginMm * 2 >= std::min(sheet.label.sizeMm.width(), sheet.label.sizeMm.height()))
        return QStringLiteral("The margin leaves no room on the label.");
    return {};
}

std::optional<double> parseLength(QStringView text)
{
    return length(text, kMmPerPoint);
}

std::optional<double> parseUserLength(QStringView text)
{
    return length(text, 1.0);
}

QString CustomSheet::toSpec() const
{
    const auto pair = [](double a, double b) { return number(a) + QLatin1Char('x') + number(b); };
    QStringList parts;
    parts << QStringLiteral("page=") + (paper.isEmpty() ? pair(pageMm.width(), pageMm.height()) : paper);
    parts << QStringLiteral("label=") + pair(labelMm.width(), labelMm.height());
    parts << QStringLiteral("grid=%1x%2").arg(columns).arg(rows);
    parts << QStringLiteral("first=") + pair(firstMm.x(), firstMm.y());
    parts << QStringLiteral("pitch=") + pair(pitchMm.width(), pitchMm.height());
    parts << QStringLiteral("margin=") + number(marginMm);
    if (round)
        parts << QStringLiteral("round");
    return parts.join(QLatin1Char(','));
}

std::optional<QSizeF> paperSize(QStringView name)
{
    // "US-Letter", "US Letter", "letter" and "Letter" are one paper.
    const auto simple = [](QStringView text) {
        QString s = text.toString().toLower();
        s.remove(QLatin1Char(' '));
        s.remove(QLatin1Char('-'));
        s.remove(QLatin1Char('_'));
        if (s.startsWith(QLatin1String("us")) && s.size() > 2 && !s[2].isDigit())
            s.remove(0, 2);
        return s;
    };
    const QString wanted = simple(name);
    if (wanted.isEmpty())
        return std::nullopt;
    for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
        const QPageSize page{QPageSize::PageSizeId(id)};
        if (simple(QPageSize::key(page.id())) == wanted || simple(page.name()) == wanted)
            return page.size(QPageSize::Millimeter);
    }
    return std::nullopt;
}

CustomSheetParse parseCustomSheet(const QString& spec)
{
    CustomSheet custom;
    custom.paper.clear();
    bool page = false, label = false, grid = false, first = false, pitch = false;
    const auto fail = [](const QString& why) { return CustomSheetParse{std::nullopt, why}; };
    const auto pairOf = [](QStringView value) -> std::optional<QSizeF> {
        const qsizetype x = value.indexOf(QLatin1Char('x'), 0, Qt::CaseInsensitive);
        if (x < 0)
            return std::nullopt;
        const auto a = parseUserLength(value.left(x));
        const auto b = parseUserLength(value.mid(x + 1));
        if (!a || !b)
            return std::nullopt;
        return QSizeF(*a, *b);
    };
    for (const QString& part : spec.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        const QString key = (eq < 0 ? part : part.left(eq)).trimmed().toLower();
        const QString value = eq < 0 ? QString() : part.mid(eq + 1).trimmed();
        const auto badValue = [&](const char* form) {
            return QStringLiteral("\"%1\" in the custom sheet should be %2=%3.")
                .arg(part.trimmed(), key, QLatin1StringView(form));
        };
        if (key == QLatin1String("round") && eq < 0) {
            custom.round = true;
        } else if (key == QLatin1String("page")) {
            if (const auto size = paperSize(value)) {
                custom.paper = value;
                custom.pageMm = *size;
            } else if (const auto given = pairOf(value)) {
                custom.pageMm = *given;
            } else {
                return fail(
                    QStringLiteral("\"%1\" is neither a paper size (A4, Letter, ...) nor WIDTHxHEIGHT.")
                        .arg(value));
            }
            page = true;
        } else if (key == QLatin1String("label")) {
            // A round label is given by its diameter alone.
            if (const auto size = pairOf(value)) {
                custom.labelMm = *size;
            } else if (const auto diameter = parseUserLength(value)) {
                custom.labelMm = {*diameter, *diameter};
                custom.round = true;
            } else {
                return fail(badValue("WIDTHxHEIGHT, or a diameter"));
            }
            label = true;
        } else if (key == QLatin1String("grid")) {
            const QStringList counts = value.split(QLatin1Char('x'), Qt::KeepEmptyParts, Qt::CaseInsensitive);
            bool a = false, b = false;
            if (counts.size() == 2) {
                custom.columns = counts[0].toInt(&a);
                custom.rows = counts[1].toInt(&b);
            }
            if (!a || !b || custom.columns < 1 || custom.rows < 1 || custom.columns > 100 ||
                custom.rows > 100)
                return fail(badValue("COLUMNSxROWS (1 to 100 each)"));
            grid = true;
        } else if (key == QLatin1String("first")) {
            const auto at = pairOf(value);
            if (!at)
                return fail(badValue("LEFTxTOP"));
            custom.firstMm = {at->width(), at->height()};
            first = true;
        } else if (key == QLatin1String("pitch")) {
            const auto at = pairOf(value);
            if (!at)
                return fail(badValue("ACROSSxDOWN"));
            custom.pitchMm = *at;
            pitch = true;
        } else if (key == QLatin1String("margin")) {
            const auto m = parseUserLength(value);
            if (!m || *m < 0)
                return fail(badValue("LENGTH"));
            custom.marginMm = *m;
        } else {
            return fail(QStringLiteral("\"%1\" is not part of a custom sheet: it takes page=, label=, grid=, "
                                       "first=, pitch=, margin= and round.")
                            .arg(part.trimmed()));
        }
    }
    QStringList missing;
    if (!page)
        missing << QStringLiteral("page=");
    if (!label)
        missing << QStringLiteral("label=");
    if (!grid)
        missing << QStringLiteral("grid=");
    if (!missing.isEmpty())
        return fail(QStringLiteral("The custom sheet needs %1.").arg(missing.join(QStringLiteral(", "))));
    // One row or column needs no pitch that way; labels side by side by default.
    if (!pitch)
        custom.pitchMm = custom.labelMm;
    if (!first) {
        // Centred on the page.
        const double w = custom.pitchMm.width() * (custom.columns - 1) + custom.labelMm.width();
        const double h = custom.pitchMm.height() * (custom.rows - 1) + custom.labelMm.height();
        custom.firstMm = {(custom.pageMm.width() - w) / 2, (custom.pageMm.height() - h) / 2};
    }
    if (custom.round && !qFuzzyCompare(custom.labelMm.width(), custom.labelMm.height()))
        return fail(QStringLiteral("A round label is given by its diameter: label=DIAMETER."));
    return {custom, {}};
}

SheetResult makeSheet(const CustomSheet& custom)
{
    SheetResult result;
    Sheet& sheet = result.sheet;
    sheet.name = QStringLiteral("Custom");
    sheet.description = QStringLiteral("Custom sheet");
    sheet.pageMm = custom.pageMm;
    if (sheet.pageMm.isEmpty())
        if (const auto size = paperSize(custom.paper))
            sheet.pageMm = *size;
    sheet.paperName =
        custom.paper.isEmpty()
            ? QStringLiteral("%1 x %2 mm").arg(number(sheet.pageMm.width()), number(sheet.pageMm.height()))
            : custom.paper;
    sheet.label.shape = custom.round ? Shape::Round : Shape::Rectangle;
    sheet.label.sizeMm = custom.labelMm;
    sheet.label.marginMm = custom.marginMm;
    for (int r = 0; r < custom.rows; ++r)
        for (int c = 0; c < custom.columns; ++c)
            sheet.spots.push_back({QPointF(custom.firstMm.x() + c * custom.pitchMm.width(),
                                           custom.firstMm.y() + r * custom.pitchMm.height()),
                                   r, c});
    orderSpots(sheet);
    result.error = checkSheet(sheet);
    return result;
}

} // namespace sheets
