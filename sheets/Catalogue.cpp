#include "sheets/Catalogue.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

namespace sheets {

namespace {

// Kept clear inside a label whose product gives no margin, as a custom sheet's.
constexpr double kDefaultMarginMm = 1.5;

// How "Avery 5160", "avery5160" and "AVERY  5160" are all one name.
QString key(QStringView text)
{
    QString k;
    k.reserve(text.size());
    for (const QChar c : text)
        if (!c.isSpace() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            k += c.toLower();
    return k;
}

QString attribute(const QXmlStreamAttributes& attributes, QLatin1StringView name)
{
    return attributes.value(name).toString();
}

double lengthOf(const QXmlStreamAttributes& attributes, QLatin1StringView name, bool* ok = nullptr)
{
    const auto value = attributes.value(name);
    if (value.isEmpty()) {
        if (ok)
            *ok = false;
        return 0;
    }
    const auto mm = parseLength(value);
    if (ok)
        *ok = mm.has_value();
    return mm.value_or(0);
}

struct Loader {
    std::vector<Product>& products;
    QHash<QString, PaperSize> papers; // by id
    QStringList errors;

    void readPapers(const QString& path, std::vector<PaperSize>& list)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            errors << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
            return;
        }
        QXmlStreamReader xml(&file);
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement() || xml.name() != QLatin1String("Paper-size"))
                continue;
            const auto a = xml.attributes();
            PaperSize paper{
                attribute(a, QLatin1StringView("id")), attribute(a, QLatin1StringView("_name")),
                QSizeF(lengthOf(a, QLatin1StringView("width")), lengthOf(a, QLatin1StringView("height")))};
            if (paper.name.isEmpty())
                paper.name = attribute(a, QLatin1StringView("name"));
            if (paper.name.isEmpty())
                paper.name = paper.id;
            papers.insert(paper.id, paper);
            list.push_back(paper);
        }
        if (xml.hasError())
            errors << QStringLiteral("%1, line %2: %3")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(xml.lineNumber())
                          .arg(xml.errorString());
    }

    // A Label-* element: its shape, margin and layouts.
    void readLabel(QXmlStreamReader& xml, Product& product)
    {
        Sheet& sheet = product.sheet;
        const QStringView element = xml.name();
        const auto a = xml.attributes();
        if (element == QLatin1String("Label-rectangle")) {
            sheet.label.shape = Shape::Rectangle;
            sheet.label.sizeMm = {lengthOf(a, QLatin1StringView("width")),
                                  lengthOf(a, QLatin1StringView("height"))};
            sheet.label.cornerMm = lengthOf(a, QLatin1StringView("round"));
        } else if (element == QLatin1String("Label-round")) {
            sheet.label.shape = Shape::Round;
            const double diameter = 2 * lengthOf(a, QLatin1StringView("radius"));
            sheet.label.sizeMm = {diameter, diameter};
        } else {
            // Label-ellipse, Label-cd, and any shape the data set adds later.
            product.unsupported =
                QStringLiteral("%1 labels are not supported")
                    .arg(element.mid(6).toString().replace(QLatin1String("cd"), QLatin1String("CD")));
            const double w = lengthOf(a, QLatin1StringView("width"));
            const double r = lengthOf(a, QLatin1StringView("radius"));
            sheet.label.sizeMm =
                w > 0 ? QSizeF(w, lengthOf(a, QLatin1StringView("height"))) : QSizeF(2 * r, 2 * r);
        }
        // Most products give no margin: a symbol printed up to the edge of a
        // die-cut label is cut by the slightest shift of the paper.
        const QSizeF size = sheet.label.sizeMm;
        sheet.label.marginMm = std::min(kDefaultMarginMm, std::min(size.width(), size.height()) / 10);
        while (xml.readNextStartElement()) {
            const auto b = xml.attributes();
            if (xml.name() == QLatin1String("Markup-margin")) {
                sheet.label.marginMm = lengthOf(b, QLatin1StringView("size"));
            } else if (xml.name() == QLatin1String("Layout")) {
                bool ok = false;
                const int nx = b.value(QLatin1StringView("nx")).toInt(&ok);
                const int ny = b.value(QLatin1StringView("ny")).toInt();
                const double x0 = lengthOf(b, QLatin1StringView("x0"));
                const double y0 = lengthOf(b, QLatin1StringView("y0"));
                const double dx = lengthOf(b, QLatin1StringView("dx"));
                const double dy = lengthOf(b, QLatin1StringView("dy"));
                if (ok && nx > 0 && ny > 0 && nx * ny <= 10000)
                    for (int y = 0; y < ny; ++y)
                        for (int x = 0; x < nx; ++x)
                            sheet.spots.push_back({QPointF(x0 + x * dx, y0 + y * dy), 0, 0});
            }
            // Other markup is for label designers: a symbol goes in the margin.
            xml.skipCurrentElement();
        }
    }

    void readTemplates(const QString& path)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            errors << QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), file.errorString());
            return;
        }
        QXmlStreamReader xml(&file);
        if (!xml.readNextStartElement() || xml.name() != QLatin1String("Glabels-templates"))
            return;
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("Template")) {
                xml.skipCurrentElement();
                continue;
            }
            const auto a = xml.attributes();
            Product product;
            product.brand = attribute(a, QLatin1StringView("brand"));
            product.part = attribute(a, QLatin1StringView("part"));
            product.description = attribute(a, QLatin1StringView("_description"));
            if (product.description.isEmpty())
                product.description = attribute(a, QLatin1StringView("description"));
            product.equivalentOf = attribute(a, QLatin1StringView("equiv"));
            const QString size = attribute(a, QLatin1StringView("size"));
            Sheet& sheet = product.sheet;
            if (size == QLatin1String("Other") || size.isEmpty()) {
                sheet.pageMm = {lengthOf(a, QLatin1StringView("width")),
                                lengthOf(a, QLatin1StringView("height"))};
                sheet.paperName = QStringLiteral("%1 x %2 mm")
                                      .arg(std::round(sheet.pageMm.width() * 10) / 10)
                                      .arg(std::round(sheet.pageMm.height() * 10) / 10);
            } else if (const auto paper = papers.constFind(size); paper != papers.constEnd()) {
                sheet.pageMm = paper->sizeMm;
                sheet.paperName = paper->name;
            } else {
                product.unsupported = QStringLiteral("its paper size \"%1\" is unknown").arg(size);
            }
            bool labelSeen = false;
            while (xml.readNextStartElement()) {
                if (!labelSeen && xml.name().startsWith(QLatin1String("Label-"))) {
                    const QString unsupported = product.unsupported;
                    readLabel(xml, product);
                    if (!unsupported.isEmpty())
                        product.unsupported = unsupported;
                    labelSeen = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (product.brand.isEmpty() || product.part.isEmpty())
                continue;
            if (product.equivalentOf.isEmpty() && !labelSeen && product.unsupported.isEmpty())
                product.unsupported = QStringLiteral("the data set gives no label for it");
            products.push_back(std::move(product));
        }
        if (xml.hasError())
            errors << QStringLiteral("%1, line %2: %3")
                          .arg(QDir::toNativeSeparators(path))
                          .arg(xml.lineNumber())
                          .arg(xml.errorString());
    }
};

int editDistance(QStringView a, QStringView b)
{
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] =
                std::min({up + 1, row[size_t(j - 1)] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return row.back();
}

} // namespace

QString Catalogue::defaultFolder()
{
    const QString given = qEnvironmentVariable("BARCODE_LABEL_TEMPLATES");
    if (!given.isEmpty())
        return given;
    const QString found =
        QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                               QStringLiteral("libglabels-3.0/templates"), QStandardPaths::LocateDirectory);
    return found.isEmpty() ? QStringLiteral("/usr/share/libglabels-3.0/templates") : found;
}

Catalogue Catalogue::load(const QString& folder)
{
    Catalogue catalogue;
    const QDir dir(folder);
    if (!dir.exists()) {
        catalogue.m_error = QStringLiteral("The label products are not installed: %1 is missing (Debian's "
                                           "glabels-data package provides it).")
                                .arg(QDir::toNativeSeparators(folder));
        return catalogue;
    }
    Loader loader{catalogue.m_products, {}, {}};
    loader.readPapers(dir.filePath(QStringLiteral("paper-sizes.xml")), catalogue.m_papers);
    const QStringList files = dir.entryList({QStringLiteral("*-templates.xml")}, QDir::Files, QDir::Name);
    for (const QString& name : files)
        loader.readTemplates(dir.filePath(name));
    if (files.isEmpty())
        loader.errors << QStringLiteral("%1 holds no label products.").arg(QDir::toNativeSeparators(folder));

    auto& products = catalogue.m_products;
    // An equivalent part takes its sheet from the part it names, of the same brand.
    QHash<QString, size_t> byName;
    for (size_t i = 0; i < products.size(); ++i)
        if (products[i].equivalentOf.isEmpty())
            byName.insert(key(products[i].name()), i);
    for (Product& product : products) {
        if (product.equivalentOf.isEmpty())
            continue;
        const auto original = byName.constFind(key(product.brand + product.equivalentOf));
        if (original == byName.constEnd()) {
            product.unsupported = QStringLiteral("the part %1 it is equivalent to is not in the data set")
                                      .arg(product.equivalentOf);
            continue;
        }
        const Product& of = products[*original];
        product.sheet = of.sheet;
        product.unsupported = of.unsupported;
        if (product.description.isEmpty())
            product.description = of.description;
    }
    for (Product& product : products) {
        product.sheet.name = product.name();
        product.sheet.description = product.description;
        if (!product.supported())
            continue;
        orderSpots(product.sheet);
        if (product.sheet.spots.empty())
            product.unsupported = QStringLiteral("the data set places no labels on it");
    }
    std::stable_sort(products.begin(), products.end(), [](const Product& a, const Product& b) {
        if (const int brand = a.brand.compare(b.brand, Qt::CaseInsensitive))
            return brand < 0;
        return a.part.compare(b.part, Qt::CaseInsensitive) < 0;
    });
    catalogue.m_error = loader.errors.join(QLatin1Char('\n'));
    return catalogue;
}

const PaperSize* Catalogue::paper(QStringView idOrName) const
{
    for (const PaperSize& paper : m_papers)
        if (paper.id.compare(idOrName, Qt::CaseInsensitive) == 0 ||
            paper.name.compare(idOrName, Qt::CaseInsensitive) == 0)
            return &paper;
    return nullptr;
}

std::vector<const Product*> Catalogue::search(QStringView text) const
{
    const QStringList words = text.toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::vector<const Product*> found;
    for (const Product& product : m_products) {
        // A part sold as the equivalent of another is found by that one's name
        // too: "5160" lists the 5260, 5960 and 8160 that share its layout.
        const QString haystack =
            product.name() + QLatin1Char(' ') + product.description + QLatin1Char(' ') + product.equivalentOf;
        const QString compact = key(product.name()) + QLatin1Char(' ') + key(product.equivalentOf);
        const bool all = std::all_of(words.begin(), words.end(), [&](const QString& word) {
            return haystack.contains(word, Qt::CaseInsensitive) || compact.contains(key(word));
        });
        if (all)
            found.push_back(&product);
    }
    return found;
}

const Product* Catalogue::find(QStringView name) const
{
    const QString wanted = key(name);
    if (wanted.isEmpty())
        return nullptr;
    for (const Product& product : m_products)
        if (key(product.name()) == wanted)
            return &product;
    return nullptr;
}

QStringList Catalogue::closest(QStringView name, int count) const
{
    const QString wanted = key(name);
    std::vector<std::pair<int, const Product*>> scored;
    scored.reserve(m_products.size());
    for (const Product& product : m_products) {
        const QString k = key(product.name());
        int distance = editDistance(wanted, k);
        // A part named without its brand, or a brand's other parts.
        distance = std::min(distance, editDistance(wanted, key(product.part)) + 1);
        scored.emplace_back(distance, &product);
    }
    std::stable_sort(scored.begin(), scored.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList names;
    for (const auto& [distance, product] : scored) {
        if (names.size() >= count)
            break;
        names << product->name();
    }
    return names;
}

QString productLine(const Product& product)
{
    QString line = product.name();
    if (!product.description.isEmpty())
        line += QStringLiteral(": ") + product.description;
    if (!product.supported())
        return line + QStringLiteral(" (not supported: %1)").arg(product.unsupported);
    const Sheet& sheet = product.sheet;
    line +=
        QStringLiteral(", %1, %2 labels %3").arg(sheet.paperName, sheet.labelSizeText(), sheet.layoutText());
    if (!product.equivalentOf.isEmpty())
        line += QStringLiteral(", as %1 %2").arg(product.brand, product.equivalentOf);
    return line;
}

} // namespace sheets
