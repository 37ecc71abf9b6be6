// Sheets of labels: the products as the glabels-data package describes them,
// the layout, and the PDF checked against the product data itself.
#include "support/TestSupport.h"

#include "draw/Surface.h"
#include "formats/Plan.h"
#include "jobs/CsvReader.h"
#include "jobs/Fonts.h"
#include "jobs/SymbolJob.h"
#include "sheets/Catalogue.h"
#include "sheets/SheetWriter.h"
#include "verify/ExportCheck.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImageReader>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using namespace sheets;

namespace {

const Catalogue& catalogue()
{
    static const Catalogue loaded = Catalogue::load();
    return loaded;
}

// Code 128 as the window draws it: its reading is the data itself.
struct Drawer {
    output::SymbolSurfaces surfaces;
    SymbolDrawer drawer()
    {
        return [this](const QString& data) {
            return output::drawSymbol(surfaces, output::Symbology::Code128, data, linear::Options{});
        };
    }
};

QStringList numbered(const QString& prefix, int count)
{
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines << QStringLiteral("%1%2").arg(prefix).arg(i, 3, 10, QLatin1Char('0'));
    return lines;
}

std::vector<LabelItem> itemsOf(const QStringList& lines)
{
    std::vector<LabelItem> items;
    for (qsizetype i = 0; i < lines.size(); ++i)
        items.push_back({lines[i], {}, i + 1});
    return items;
}

// The PDF's pages drawn by poppler, grey, at `dpi`; only `crop` of them
// (in pixels) when given.
std::vector<QImage> rasterisePdf(const QByteArray& pdf, int dpi, const QRect& crop = QRect())
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sheet.pdf"));
    if (!testing::writeFile(path, pdf))
        return {};
    QStringList args{QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray")};
    if (!crop.isNull())
        args << QStringLiteral("-x") << QString::number(crop.x()) << QStringLiteral("-y")
             << QString::number(crop.y()) << QStringLiteral("-W") << QString::number(crop.width())
             << QStringLiteral("-H") << QString::number(crop.height());
    if (QProcess::execute(QStringLiteral("pdftoppm"), args << path << dir.filePath(QStringLiteral("page"))) !=
        0)
        return {};
    std::vector<QImage> pages;
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("page*.pgm")}, QDir::Files, QDir::Name);
    for (const QString& file : files)
        pages.push_back(QImage(dir.filePath(file)).convertToFormat(QImage::Format_Grayscale8));
    return pages;
}

QRect toPixels(const QRectF& mm, double pxPerMm)
{
    return QRectF(mm.x() * pxPerMm, mm.y() * pxPerMm, mm.width() * pxPerMm, mm.height() * pxPerMm)
        .toAlignedRect();
}

// Where ink may be: each label's margin, grown by the tolerance.
bool inkAllowed(const Sheet& sheet, QPointF mm, double toleranceMm)
{
    for (int spot = 0; spot < sheet.labelsPerPage(); ++spot) {
        const QRectF content = sheet.contentRect(spot);
        if (sheet.label.shape == Shape::Round) {
            const QPointF d = mm - content.center();
            const double r = content.width() / 2 + toleranceMm;
            if (d.x() * d.x() + d.y() * d.y() <= r * r)
                return true;
        } else if (content.adjusted(-toleranceMm, -toleranceMm, toleranceMm, toleranceMm).contains(mm)) {
            return true;
        }
    }
    return false;
}

// The first dark pixel outside every label's margin, in mm; nothing when all ink is inside.
std::optional<QPointF> strayInk(const QImage& page, const Sheet& sheet, double pxPerMm, double toleranceMm)
{
    for (int y = 0; y < page.height(); ++y) {
        const uchar* row = page.constScanLine(y);
        for (int x = 0; x < page.width(); ++x) {
            if (row[x] >= 128)
                continue;
            const QPointF mm((x + 0.5) / pxPerMm, (y + 0.5) / pxPerMm);
            if (!inkAllowed(sheet, mm, toleranceMm))
                return mm;
        }
    }
    return std::nullopt;
}

} // namespace

class TestSheets : public QObject {
    Q_OBJECT

  private slots:
    void notesOfOneKindAreSaidOnce();
    void initTestCase();

    void productsAreFoundByTheirNames_data();
    void productsAreFoundByTheirNames();
    void unknownNamesGetTheClosest();
    void searchMatchesBrandPartAndDescription();
    void productsOfOtherShapesAreListedNotSupported();
    void unreadableDataIsNamed();
    void everySupportedProductFitsItsPage();

    void everyLabelHoldsItsLineInOrder_data();
    void everyLabelHoldsItsLineInOrder();
    void printerModulesAreWholeDots();
    void pdfModuleIsExactlyTheOneAsked();
    void labelsHoldTheSymbolAndItsQuietZonesOnly_data();
    void labelsHoldTheSymbolAndItsQuietZonesOnly();
    void fitting_data();
    void fitting();
    void badItemsLeaveTheirLabelEmptyOrAreSkipped_data();
    void badItemsLeaveTheirLabelEmptyOrAreSkipped();
    void unreadLabelsAreNamedByPageRowAndColumn();
    void copiesFillLabelsOneAfterAnother();
    void captionsGoUnderTheSymbol();
    void pdfIsWholeOrAbsent();
    void deviceMarginsLeaveLabelsInPlace();
    void previewShowsOutlinesAtThePrintersSizes();

    void customSheets_data();
    void customSheets();
    void customSheetSpecReadsBack();

    void csv_data();
    void csv();
    void csvColumns_data();
    void csvColumns();
    void labelSources_data();
    void labelSources();
    void csvColumnBeyondTheFile_data();
    void csvColumnBeyondTheFile();
};

void TestSheets::initTestCase()
{
    output::ensureTahoma();
    QVERIFY2(catalogue().products().size() > 1000, qPrintable(catalogue().error()));
    QVERIFY2(catalogue().error().isEmpty(), qPrintable(catalogue().error()));
}

void TestSheets::productsAreFoundByTheirNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QString>("equivalentOf");
    QTest::addColumn<QString>("paper");
    QTest::addColumn<int>("labels");
    QTest::addColumn<double>("labelWidthMm");
    QTest::newRow("exact") << "Avery 5160"
                           << "Avery 5160"
                           << ""
                           << "US Letter" << 30 << 66.675;
    QTest::newRow("any case, no space") << "aVERY5160"
                                        << "Avery 5160"
                                        << ""
                                        << "US Letter" << 30 << 66.675;
    QTest::newRow("equivalent part") << "avery 8160"
                                     << "Avery 8160"
                                     << "5160"
                                     << "US Letter" << 30 << 66.675;
    QTest::newRow("A4, bare numbers are points, an equivalent") << "Avery L7160"
                                                                << "Avery L7160"
                                                                << "7160"
                                                                << "A4" << 21 << 63.994;
    QTest::newRow("lengths in points") << "Avery 6121"
                                       << "Avery 6121"
                                       << ""
                                       << "A4" << 65 << 107.928 * 25.4 / 72;
    QTest::newRow("round, bare numbers are points") << "Avery 3274.3"
                                                    << "Avery 3274.3"
                                                    << ""
                                                    << "US Letter" << 9 << 2.5 * 25.4;
}

void TestSheets::productsAreFoundByTheirNames()
{
    QFETCH(QString, name);
    QFETCH(QString, found);
    QFETCH(QString, equivalentOf);
    QFETCH(QString, paper);
    QFETCH(int, labels);
    QFETCH(double, labelWidthMm);
    const Product* product = catalogue().find(name);
    QVERIFY(product);
    QCOMPARE(product->name(), found);
    QCOMPARE(product->equivalentOf, equivalentOf);
    QVERIFY2(product->supported(), qPrintable(product->unsupported));
    QCOMPARE(product->sheet.paperName, paper);
    QCOMPARE(product->sheet.labelsPerPage(), labels);
    QVERIFY(std::abs(product->sheet.label.sizeMm.width() - labelWidthMm) < 0.01);
    // Across, then down: the second label is right of the first, on its row.
    const Sheet& sheet = product->sheet;
    QCOMPARE(sheet.spots[0].row, 0);
    QCOMPARE(sheet.spots[1].row, 0);
    QVERIFY(sheet.spots[1].topLeftMm.x() > sheet.spots[0].topLeftMm.x());
    QCOMPARE(sheet.spots.back().row, sheet.rows - 1);
}

void TestSheets::unknownNamesGetTheClosest()
{
    QVERIFY(!catalogue().find(QStringLiteral("Avery 5161x")));
    QVERIFY(!catalogue().find(QString()));
    const QStringList near = catalogue().closest(QStringLiteral("Avery 5161x"), 3);
    QCOMPARE(near.size(), 3);
    QCOMPARE(near.front(), QStringLiteral("Avery 5161"));
    // A part without its brand.
    QVERIFY(catalogue().closest(QStringLiteral("L7160"), 3).contains(QStringLiteral("Avery L7160")));
}

void TestSheets::searchMatchesBrandPartAndDescription()
{
    const auto names = [](const std::vector<const Product*>& found) {
        QStringList list;
        for (const Product* p : found)
            list << p->name();
        return list;
    };
    const QStringList by5160 = names(catalogue().search(QStringLiteral("5160")));
    QVERIFY(by5160.contains(QStringLiteral("Avery 5160")));
    QVERIFY(by5160.contains(QStringLiteral("Avery 15160")));
    // Parts sold as its equivalent are found by its number too.
    QVERIFY2(by5160.contains(QStringLiteral("Avery 8160")), qPrintable(by5160.join(u',')));
    QVERIFY(!by5160.contains(QStringLiteral("Avery 5161")));
    const QStringList byWords = names(catalogue().search(QStringLiteral("avery round")));
    QVERIFY(byWords.contains(QStringLiteral("Avery 3274.3")));
    QVERIFY(!byWords.contains(QStringLiteral("Avery 5160")));
    QCOMPARE(catalogue().search(QString()).size(), catalogue().products().size());
}

void TestSheets::productsOfOtherShapesAreListedNotSupported()
{
    int cds = 0;
    for (const Product& product : catalogue().products()) {
        if (!product.unsupported.contains(QLatin1String("CD labels")))
            continue;
        ++cds;
        QVERIFY(productLine(product).contains(QLatin1String("not supported")));
    }
    QVERIFY(cds > 10);
}

void TestSheets::unreadableDataIsNamed()
{
    const Catalogue missing = Catalogue::load(QStringLiteral("/nonexistent/templates"));
    QVERIFY(missing.products().empty());
    QVERIFY2(missing.error().contains(QLatin1String("glabels-data")), qPrintable(missing.error()));

    // A broken file is named with its line; the good ones are still read.
    QTemporaryDir dir;
    QVERIFY(testing::writeFile(dir.filePath(QStringLiteral("paper-sizes.xml")),
                               "<Glabels-paper-sizes><Paper-size id=\"A4\" _name=\"A4\" width=\"210mm\" "
                               "height=\"297mm\"/></Glabels-paper-sizes>"));
    QVERIFY(testing::writeFile(
        dir.filePath(QStringLiteral("good-templates.xml")),
        "<Glabels-templates>\n"
        "<Template brand=\"Acme\" part=\"10\" size=\"A4\" _description=\"Tags\">\n"
        "<Label-rectangle id=\"0\" width=\"2in\" height=\"1cm\"><Markup-margin size=\"1mm\"/>"
        "<Layout nx=\"2\" ny=\"3\" x0=\"10mm\" y0=\"36pt\" dx=\"60mm\" dy=\"20mm\"/>"
        "</Label-rectangle></Template>\n"
        "<Template brand=\"Acme\" part=\"11\" equiv=\"10\"/>\n"
        "<Template brand=\"Acme\" part=\"20\" size=\"A4\"><Label-round id=\"0\" radius=\"20mm\">"
        "<Layout nx=\"1\" ny=\"1\" x0=\"5mm\" y0=\"5mm\"/></Label-round></Template>\n"
        "<Template brand=\"Acme\" part=\"21\" size=\"A4\"><Label-round id=\"0\" radius=\"5mm\">"
        "<Layout nx=\"1\" ny=\"1\" x0=\"5mm\" y0=\"5mm\"/></Label-round></Template>\n"
        "<Template brand=\"Acme\" part=\"12\" equiv=\"99\"/>\n"
        "</Glabels-templates>\n"));
    QVERIFY(
        testing::writeFile(dir.filePath(QStringLiteral("broken-templates.xml")),
                           "<Glabels-templates>\n<Template brand=\"X\" part=\"1\">\n</Glabels-templates>\n"));
    const Catalogue partial = Catalogue::load(dir.path());
    QVERIFY2(partial.error().contains(QLatin1String("broken-templates.xml, line 3")),
             qPrintable(partial.error()));
    const Product* tags = partial.find(QStringLiteral("acme 11"));
    QVERIFY(tags);
    QVERIFY(tags->supported());
    QCOMPARE(tags->description, QStringLiteral("Tags"));
    QCOMPARE(tags->sheet.labelsPerPage(), 6);
    const QRectF last = tags->sheet.labelRect(5);
    QVERIFY(std::abs(last.x() - 70) < 1e-9 && std::abs(last.y() - (12.7 + 40)) < 1e-9);
    QCOMPARE(last.size(), QSizeF(50.8, 10));
    QCOMPARE(tags->sheet.label.marginMm, 1.0);
    // Without a margin in the data, a little is kept clear all the same.
    QCOMPARE(partial.find(QStringLiteral("Acme 20"))->sheet.label.marginMm, 1.5);
    QCOMPARE(partial.find(QStringLiteral("Acme 21"))->sheet.label.marginMm, 1.0);
    QCOMPARE(partial.find(QStringLiteral("Acme 20"))->sheet.label.shape, Shape::Round);
    const Product* orphan = partial.find(QStringLiteral("Acme 12"));
    QVERIFY(orphan);
    QVERIFY2(orphan->unsupported.contains(QLatin1String("99")), qPrintable(orphan->unsupported));
}

void TestSheets::everySupportedProductFitsItsPage()
{
    // The data set's own layouts, as read: a unit read wrongly puts labels off
    // the page or on top of each other.
    int supported = 0;
    QStringList wrong;
    for (const Product& product : catalogue().products()) {
        if (!product.supported())
            continue;
        ++supported;
        const Sheet& sheet = product.sheet;
        const QRectF page = QRectF(QPointF(), sheet.pageMm).adjusted(-2, -2, 2, 2);
        for (int i = 0; i < sheet.labelsPerPage(); ++i)
            if (!page.contains(sheet.labelRect(i))) {
                wrong << product.name();
                break;
            }
    }
    QVERIFY(supported > 1400);
    // and each can be printed on, even where its maker's figures overlap a little.
    Drawer drawer;
    for (const Product& product : catalogue().products()) {
        if (!product.supported())
            continue;
        const SheetLayout layout(product.sheet, itemsOf({QStringLiteral("1")}), {}, {}, drawer.drawer());
        QVERIFY2(layout.error().isEmpty(), qPrintable(product.name() + QLatin1String(": ") + layout.error()));
    }
    // A handful of entries of the data set really do run off their page.
    QVERIFY2(wrong.size() < 20, qPrintable(wrong.join(QLatin1String(", "))));
}

void TestSheets::everyLabelHoldsItsLineInOrder_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("firstLabel");
    QTest::addColumn<int>("extra"); // labels beyond the first page
    QTest::addColumn<bool>("ean");  // EAN-13, whose picture has blank rows above the symbol; else Code 128
    QTest::newRow("Avery 5160, US Letter, in") << "Avery 5160" << 1 << 4 << false;
    QTest::newRow("Avery L7160, A4, an equivalent, from label 5") << "Avery L7160" << 5 << 3 << false;
    QTest::newRow("Avery 6121, A4, pt, from label 64") << "Avery 6121" << 64 << 1 << false;
    QTest::newRow("Avery 3274.3, round, from label 2") << "Avery 3274.3" << 2 << 2 << false;
    QTest::newRow("Avery 5160, EAN-13, from label 30") << "Avery 5160" << 30 << 2 << true;
    QTest::newRow("Avery L7161, whose labels overlap by its figures") << "Avery L7161" << 1 << 1 << false;
}

void TestSheets::everyLabelHoldsItsLineInOrder()
{
    QFETCH(QString, product);
    QFETCH(int, firstLabel);
    QFETCH(int, extra);
    QFETCH(bool, ean);
    const Product* found = catalogue().find(product);
    QVERIFY(found);
    const Sheet& sheet = found->sheet;
    const int perPage = sheet.labelsPerPage();
    const QStringList lines =
        numbered(ean ? QStringLiteral("501234567") : QStringLiteral("L"), perPage - (firstLabel - 1) + extra);
    Drawer drawer;
    const output::Symbology symbology = ean ? output::Symbology::Ean13 : output::Symbology::Code128;
    const SymbolDrawer draw = [&](const QString& data) {
        return output::drawSymbol(drawer.surfaces, symbology, data, linear::Options{});
    };
    QStringList readings;
    for (const QString& line : lines)
        readings << draw(line).reading;
    LayoutOptions options;
    options.firstLabel = firstLabel;
    const SheetLayout layout(sheet, itemsOf(lines), {}, options, draw);
    QCOMPARE(layout.error(), QString());
    QCOMPARE(layout.pageCount(), 2);

    PaintOptions paint;
    paint.readBack = verify::lineCheck(symbology, true);
    const SheetPdf pdf = sheetPdf(layout, paint);
    QVERIFY2(pdf.result.ok(), qPrintable(pdf.result.error));
    QCOMPARE(pdf.result.labels, int(lines.size()));
    QVERIFY(pdf.result.unread.empty());

    constexpr int dpi = 254; // ten pixels a millimetre
    constexpr double pxPerMm = dpi / 25.4;
    const std::vector<QImage> pages = rasterisePdf(pdf.bytes, dpi);
    QCOMPARE(int(pages.size()), 2);
    for (const QImage& page : pages) {
        QVERIFY(std::abs(page.width() / pxPerMm - sheet.pageMm.width()) < 0.5);
        const auto stray = strayInk(page, sheet, pxPerMm, 0.2);
        QVERIFY2(!stray, qPrintable(stray ? QStringLiteral("ink at %1, %2 mm").arg(stray->x()).arg(stray->y())
                                          : QString()));
    }
    // Label by label: empty before the first label and after the last line.
    qsizetype next = 0;
    for (int p = 0; p < 2; ++p) {
        for (int spot = 0; spot < perPage; ++spot) {
            const QImage label = pages[size_t(p)].copy(toPixels(sheet.labelRect(spot), pxPerMm));
            const bool used = !(p == 0 && spot < firstLabel - 1) && next < lines.size();
            const QString where = QStringLiteral("page %1 label %2").arg(p + 1).arg(spot + 1);
            if (!used) {
                QVERIFY2(!testing::anyDark(label, label.rect()), qPrintable(where));
                continue;
            }
            const auto format = ean ? ZXing::BarcodeFormat::EAN13 : ZXing::BarcodeFormat::Code128;
            QCOMPARE(QString::fromStdString(testing::decode(label, format, 1)) + u' ' + where,
                     readings[next] + u' ' + where);
            ++next;
        }
    }
    QCOMPARE(next, lines.size());
}

void TestSheets::printerModulesAreWholeDots()
{
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 5160"))->sheet;
    Drawer drawer;
    const SheetLayout layout(sheet, itemsOf({QStringLiteral("WHOLE-DOTS")}), {}, {}, drawer.drawer());
    constexpr int dpi = 300;
    QImage page(int(sheet.pageMm.width() / 25.4 * dpi), int(sheet.pageMm.height() / 25.4 * dpi),
                QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const PaintResult result = paintPage(painter, layout, 0, dpi, dpi, {});
    painter.end();
    QCOMPARE(result.labels, 1);
    const QImage label = page.copy(toPixels(sheet.labelRect(0), dpi / 25.4));
    QCOMPARE(QString::fromStdString(testing::decode(label, ZXing::BarcodeFormat::Code128, 1)),
             QStringLiteral("WHOLE-DOTS"));
    // Along a row through the bars, every bar and space is the same whole
    // number of dots a module: runs are multiples of the narrowest.
    const int row =
        testing::darkRows(label, testing::darkColumns(label, label.height() / 3).front()).first + 5;
    std::vector<int> runs;
    const std::vector<int> dark = testing::darkColumns(label, row);
    int run = 1;
    for (size_t i = 1; i < dark.size(); ++i) {
        if (dark[i] == dark[i - 1] + 1) {
            ++run;
        } else {
            runs.push_back(run);                       // a bar
            runs.push_back(dark[i] - dark[i - 1] - 1); // the space after it
            run = 1;
        }
    }
    runs.push_back(run);
    const int module = *std::min_element(runs.begin(), runs.end());
    QVERIFY(module >= 2); // as large as the label takes: not one dot
    for (const int r : runs)
        QCOMPARE(r % module, 0);
}

void TestSheets::pdfModuleIsExactlyTheOneAsked()
{
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 5160"))->sheet;
    Drawer drawer;
    const QString data = QStringLiteral("EXACT");
    // The symbol's width in modules, first bar to last, as the window draws it.
    const output::SymbolResult symbol = drawer.drawer()(data);
    QVERIFY(symbol.ok());
    const QImage pixels = symbol.surface->pixels().convertToFormat(QImage::Format_RGB32);
    int first = pixels.width(), last = -1;
    for (int y = 0; y < pixels.height(); ++y)
        for (const int x : testing::darkColumns(pixels, y)) {
            first = std::min(first, x);
            last = std::max(last, x);
        }
    const int modules = last - first + 1;

    for (const double asked : {0.2, 0.33}) {
        LayoutOptions options;
        options.moduleMm = asked;
        const SheetLayout layout(sheet, itemsOf({data}), {}, options, drawer.drawer());
        const SheetPdf pdf = sheetPdf(layout, {});
        QVERIFY(pdf.result.ok());
        const std::vector<QImage> pages =
            rasterisePdf(pdf.bytes, 1200, toPixels(sheet.labelRect(0), 1200 / 25.4));
        QCOMPARE(int(pages.size()), 1);
        const QImage label = pages[0].convertToFormat(QImage::Format_RGB32);
        int left = label.width(), right = -1;
        for (int y = 0; y < label.height(); y += 4)
            for (const int x : testing::darkColumns(label, y)) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        const double widthMm = (right - left + 1) * 25.4 / 1200;
        QVERIFY2(std::abs(widthMm - modules * asked) < 0.05,
                 qPrintable(QStringLiteral("%1 mm wide, %2 expected").arg(widthMm).arg(modules * asked)));
    }
}

void TestSheets::labelsHoldTheSymbolAndItsQuietZonesOnly_data()
{
    QTest::addColumn<QString>("product");
    QTest::addColumn<int>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("quietLeft"); // modules the symbology asks beside its bars
    QTest::addColumn<int>("quietRight");
    QTest::addColumn<bool>("textLeftOfBars"); // EAN's leading digit
    // The window's pictures have wide blank margins: a label that kept them
    // gave this Code 39 only 0.169 mm a module.
    QTest::newRow("L7160, Code 39") << "Avery L7160" << int(output::Symbology::Code39) << "ASSET-00417"
                                    << int(ZXing::BarcodeFormat::Code39) << 10 << 10 << false;
    QTest::newRow("5160, Code 39") << "Avery 5160" << int(output::Symbology::Code39) << "SKU-12345678"
                                   << int(ZXing::BarcodeFormat::Code39) << 10 << 10 << false;
    QTest::newRow("5160, Code 128") << "Avery 5160" << int(output::Symbology::Code128) << "BIN-0042-A"
                                    << int(ZXing::BarcodeFormat::Code128) << 10 << 10 << false;
    QTest::newRow("L7160, Interleaved 2 of 5")
        << "Avery L7160" << int(output::Symbology::Interleaved2of5) << "12345678901234"
        << int(ZXing::BarcodeFormat::ITF) << 10 << 10 << false;
    QTest::newRow("5160, Codabar") << "Avery 5160" << int(output::Symbology::Codabar) << "40156"
                                   << int(ZXing::BarcodeFormat::Codabar) << 10 << 10 << false;
    QTest::newRow("5160, EAN-13") << "Avery 5160" << int(output::Symbology::Ean13) << "501234567890"
                                  << int(ZXing::BarcodeFormat::EAN13) << 11 << 7 << true;
    // A label just too narrow for 6 dots a module with the quiet zones: 5.
    QTest::newRow("custom, the quiet zones decide the module")
        << "page=A4,label=25x30,grid=1x1,margin=1.5" << int(output::Symbology::Code39) << "A1"
        << int(ZXing::BarcodeFormat::Code39) << 10 << 10 << false;
    QTest::newRow("L7160, UPC-A") << "Avery L7160" << int(output::Symbology::UpcA) << "01234567890"
                                  << int(ZXing::BarcodeFormat::UPCA) << 9 << 9 << false;
}

void TestSheets::labelsHoldTheSymbolAndItsQuietZonesOnly()
{
    QFETCH(QString, product);
    QFETCH(int, symbology);
    QFETCH(QString, data);
    QFETCH(int, format);
    QFETCH(int, quietLeft);
    QFETCH(int, quietRight);
    QFETCH(bool, textLeftOfBars);
    const SheetResult custom = product.startsWith(QLatin1String("page="))
                                   ? makeSheet(*parseCustomSheet(product).custom)
                                   : SheetResult{catalogue().find(product)->sheet, {}};
    QVERIFY2(custom.ok(), qPrintable(custom.error));
    const Sheet& sheet = custom.sheet;
    Drawer drawer;
    const auto kind = output::Symbology(symbology);
    const SymbolDrawer draw = [&](const QString& datum) {
        return output::drawSymbol(drawer.surfaces, kind, datum, linear::Options{});
    };
    const QString reading = draw(data).reading;
    LayoutOptions options;
    options.copies = sheet.labelsPerPage();
    const SheetLayout layout(sheet, itemsOf({data}), {}, options, draw);
    PaintOptions paint;
    paint.readBack = verify::lineCheck(kind, true);
    const SheetPdf pdf = sheetPdf(layout, paint); // whole dots at 600 dpi
    QVERIFY2(pdf.result.ok(), qPrintable(pdf.result.error));
    QCOMPARE(pdf.result.labels, sheet.labelsPerPage());
    QVERIFY2(pdf.result.warnings.empty(),
             qPrintable(pdf.result.warnings.empty() ? QString() : pdf.result.warnings.front().text()));
    QVERIFY(pdf.result.unread.empty());

    // A whole page at the PDF's 600 dpi: larger than Qt reads by default.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(512);
    constexpr int dpi = 600;
    constexpr double pxPerMm = dpi / 25.4;
    const std::vector<QImage> pages = rasterisePdf(pdf.bytes, dpi);
    QImageReader::setAllocationLimit(limit);
    QCOMPARE(int(pages.size()), 1);
    for (int spot = 0; spot < sheet.labelsPerPage(); ++spot) {
        const QRect rect = toPixels(sheet.labelRect(spot), pxPerMm);
        const QImage label = pages[0].copy(rect).convertToFormat(QImage::Format_RGB32);
        const QString where = QStringLiteral("label %1").arg(spot + 1);
        QCOMPARE(QString::fromStdString(testing::decode(label, ZXing::BarcodeFormat(format), 1)) + u' ' +
                     where,
                 reading + u' ' + where);
        int left = label.width(), right = -1, top = label.height(), bottom = -1;
        for (int y = 0; y < label.height(); ++y) {
            const std::vector<int> dark = testing::darkColumns(label, y);
            if (dark.empty())
                continue;
            left = std::min(left, dark.front());
            right = std::max(right, dark.back());
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
        // The ink, text and all, centred on its label.
        const QPointF inkCentreMm((left + right + 1) / 2.0 / pxPerMm, (top + bottom + 1) / 2.0 / pxPerMm);
        const QPointF offMm =
            inkCentreMm - QPointF(rect.width() / 2.0 / pxPerMm, rect.height() / 2.0 / pxPerMm);
        QVERIFY2(
            std::abs(offMm.x()) <= 0.2 && std::abs(offMm.y()) <= 0.2,
            qPrintable(
                QStringLiteral("%1: ink %2, %3 mm off centre").arg(where).arg(offMm.x()).arg(offMm.y())));

        // A row through the bars, above any text: its narrowest bar is a
        // module; the blank from the label's edge to the bars, the quiet zone.
        const int row = top + (bottom - top) / 4;
        const std::vector<int> bars = testing::darkColumns(label, row);
        int narrowest = label.width();
        for (size_t i = 0, start = 0; i < bars.size(); ++i)
            if (i + 1 == bars.size() || bars[i + 1] != bars[i] + 1) {
                narrowest = std::min(narrowest, bars[i] - bars[start] + 1);
                start = i + 1;
            }
        const double moduleMm = narrowest / pxPerMm;
        QVERIFY2(moduleMm >= kSmallestReadableModuleMm,
                 qPrintable(QStringLiteral("%1: a module of %2 mm").arg(where).arg(moduleMm)));
        const double leftMm = bars.front() / pxPerMm;
        const double rightMm = (label.width() - 1 - bars.back()) / pxPerMm;
        QVERIFY2(leftMm >= quietLeft * moduleMm && rightMm >= quietRight * moduleMm,
                 qPrintable(QStringLiteral("%1: %2 and %3 modules of quiet zone")
                                .arg(where)
                                .arg(leftMm / moduleMm)
                                .arg(rightMm / moduleMm)));
        // The human-readable text stays whole: EAN's leading digit left of the bars.
        if (textLeftOfBars)
            QVERIFY2(bars.front() - left >= 3 * narrowest, qPrintable(where));
    }
}

void TestSheets::fitting_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<QSize>("modules");
    QTest::addColumn<double>("asked");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<double>("moduleMm"); // 0: does not fit
    QTest::addColumn<bool>("warned");
    QTest::addColumn<int>("quiet"); // blank modules either side of the ink
    // 300 dpi: a dot is 0.0847 mm. Labels 50 x 20 mm, margin 1: 48 x 18 mm inside.
    const QString label = QStringLiteral("page=A4,label=50x20,grid=1x1,margin=1");
    QTest::newRow("largest whole dots, height bound")
        << label << QSize(100, 40) << 0.0 << false << 5 * 25.4 / 300 << false << 0;
    QTest::newRow("largest whole dots, width bound")
        << label << QSize(300, 10) << 0.0 << false << 1 * 25.4 / 300 << true << 0;
    QTest::newRow("asked, rounded to dots")
        << label << QSize(100, 40) << 0.25 << false << 3 * 25.4 / 300 << false << 0;
    QTest::newRow("asked exactly") << label << QSize(100, 40) << 0.25 << true << 0.25 << false << 0;
    QTest::newRow("asked too large, largest instead")
        << label << QSize(100, 40) << 1.0 << true << 5 * 25.4 / 300 << false << 0;
    QTest::newRow("not even one dot") << label << QSize(1000, 10) << 0.0 << false << 0.0 << true << 0;
    // A round label of 40 mm, margin 2: a circle of 36 mm. A square symbol's
    // diagonal is the circle's: 36 / sqrt(2) = 25.46 mm for 50 modules.
    QTest::newRow("round: the corners stay in the circle")
        << QStringLiteral("page=A4,label=40,grid=1x1,margin=2") << QSize(50, 50) << 0.0 << false
        << 6 * 25.4 / 300 << false << 0;
    // 44 x 14 mm inside a margin of 3. The ink fits its 44 mm at 5 dots a
    // module, but its quiet zones must stay on the 50 mm label: 4 dots. They
    // may lie in the margin, else it would be 3.
    QTest::newRow("quiet zones on the label, in its margin")
        << QStringLiteral("page=A4,label=50x20,grid=1x1,margin=3") << QSize(100, 10) << 0.0 << false
        << 4 * 25.4 / 300 << false << 20;
}

void TestSheets::fitting()
{
    QFETCH(QString, spec);
    QFETCH(QSize, modules);
    QFETCH(double, asked);
    QFETCH(bool, exact);
    QFETCH(double, moduleMm);
    QFETCH(bool, warned);
    QFETCH(int, quiet);
    const SheetResult made = makeSheet(*parseCustomSheet(spec).custom);
    QVERIFY2(made.ok(), qPrintable(made.error));
    const Fit fit = fitSymbol(made.sheet, 0, modules, {}, QFont(), asked, 300, exact, quiet);
    if (moduleMm == 0) {
        QVERIFY(!fit.ok());
        QVERIFY(fit.error.contains(QLatin1String("does not fit")));
        return;
    }
    QVERIFY2(fit.ok(), qPrintable(fit.error));
    QVERIFY2(std::abs(fit.moduleMm - moduleMm) < 1e-9, qPrintable(QString::number(fit.moduleMm, 'f', 4)));
    QCOMPARE(!fit.warning.isEmpty(), warned);
    const QRectF content = made.sheet.contentRect(0);
    if (made.sheet.label.shape == Shape::Round) {
        const QPointF corner = fit.symbolMm.topLeft() - content.center();
        QVERIFY(std::hypot(corner.x(), corner.y()) <= content.width() / 2 + 0.1);
    } else {
        const double quietMm = quiet * fit.moduleMm;
        QVERIFY(made.sheet.labelRect(0).adjusted(-0.1, -0.1, 0.1, 0.1).contains(fit.symbolMm));
        QVERIFY(
            content.adjusted(-0.1, -0.1, 0.1, 0.1).contains(fit.symbolMm.adjusted(quietMm, 0, -quietMm, 0)));
    }
    // Centred in the margin, to a dot.
    QVERIFY(std::abs(fit.symbolMm.center().x() - content.center().x()) < 0.1);
    QVERIFY(std::abs(fit.symbolMm.center().y() - content.center().y()) < 0.1);
}

void TestSheets::badItemsLeaveTheirLabelEmptyOrAreSkipped_data()
{
    QTest::addColumn<int>("fate");
    QTest::addColumn<QList<int>>("itemsInSpots"); // -1 an empty label
    QTest::newRow("empty") << int(BadLines::Empty) << QList<int>{0, -1, 2};
    QTest::newRow("skip") << int(BadLines::Skip) << QList<int>{0, 2};
}

void TestSheets::badItemsLeaveTheirLabelEmptyOrAreSkipped()
{
    QFETCH(int, fate);
    QFETCH(QList<int>, itemsInSpots);
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 5160"))->sheet;
    Drawer drawer;
    // EAN-13 takes digits only.
    const auto ean = [&](const QString& data) {
        return output::drawSymbol(drawer.surfaces, output::Symbology::Ean13, data, linear::Options{});
    };
    LayoutOptions options;
    options.badLines = BadLines(fate);
    const SheetLayout layout(sheet, itemsOf({"501234567890", "50123X", "400638133393"}),
                             {{7, QStringLiteral("Line 7 has no data.")}}, options, ean);
    QList<int> placed;
    for (const Slot& slot : layout.slotsOnPage(0))
        placed << slot.item;
    QCOMPARE(placed, itemsInSpots);
    // The source's bad line and the one that cannot be drawn, by line, each saying its fate.
    QCOMPARE(int(layout.bad().size()), 2);
    QCOMPARE(layout.bad()[0].line, 2);
    QVERIFY(layout.bad()[0].message.startsWith(QLatin1String("Line 2: ")));
    QVERIFY(layout.bad()[0].message.contains(fate == int(BadLines::Empty) ? QLatin1String("left empty")
                                                                          : QLatin1String("skipped")));
    QCOMPARE(layout.bad()[1].line, 7);
    QCOMPARE(layout.labelCount(), 2);
}

void TestSheets::unreadLabelsAreNamedByPageRowAndColumn()
{
    // Interleaved 2 of 5 of fewer than six digits is drawn, but decoders refuse it.
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 5160"))->sheet;
    Drawer drawer;
    const auto itf = [&](const QString& data) {
        return output::drawSymbol(drawer.surfaces, output::Symbology::Interleaved2of5, data,
                                  linear::Options{});
    };
    QStringList lines = numbered(QStringLiteral("1234"), 33);
    for (QString& line : lines)
        line = line.right(6);
    lines[31] = QStringLiteral("12"); // page 2, row 1, column 2 from label 1
    const SheetLayout layout(sheet, itemsOf(lines), {}, {}, itf);
    PaintOptions paint;
    paint.readBack = verify::lineCheck(output::Symbology::Interleaved2of5, true);
    const SheetPdf pdf = sheetPdf(layout, paint);
    QVERIFY(pdf.result.ok());
    QCOMPARE(int(pdf.result.unread.size()), 1);
    const LabelNote& note = pdf.result.unread.front();
    QVERIFY2(note.text().startsWith(QLatin1String("Page 2, row 1, column 2 (line 32): ")),
             qPrintable(note.text()));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("refused.pdf"));
    const PaintResult refused = writeSheetPdf(layout, paint, path, true);
    QVERIFY(!refused.ok());
    QVERIFY(!QFile::exists(path));
    QVERIFY(writeSheetPdf(layout, paint, path, false).ok());
    QVERIFY(QFile::exists(path));
}

void TestSheets::copiesFillLabelsOneAfterAnother()
{
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 5160"))->sheet;
    Drawer drawer;
    LayoutOptions options;
    options.copies = 20;
    options.firstLabel = 29;
    const SheetLayout layout(sheet, itemsOf({QStringLiteral("A"), QStringLiteral("B")}), {}, options,
                             drawer.drawer());
    QCOMPARE(layout.pageCount(), 3);
    QCOMPARE(layout.labelCount(), 40);
    const auto page1 = layout.slotsOnPage(0);
    QCOMPARE(int(page1.size()), 2);
    QCOMPARE(page1[0].spot, 28);
    const auto page2 = layout.slotsOnPage(1);
    QCOMPARE(int(page2.size()), 30);
    QCOMPARE(page2[17].item, 0); // the 20th copy of A
    QCOMPARE(page2[18].item, 1);
    QCOMPARE(page2.back().item, 1);
    QCOMPARE(page2.back().spot, 29);
    const auto page3 = layout.slotsOnPage(2);
    QCOMPARE(int(page3.size()), 8);
    QCOMPARE(page3.front().spot, 0);
    QVERIFY(layout.slotsOnPage(3).empty());
}

void TestSheets::captionsGoUnderTheSymbol()
{
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery L7160"))->sheet;
    Drawer drawer;
    LayoutOptions options;
    options.captionFont = QFont(QStringLiteral("DejaVu Sans"));
    options.captionFont.setPointSizeF(9);
    std::vector<LabelItem> items{
        {QStringLiteral("CAP1"), {QStringLiteral("Blue widget"), QStringLiteral("Aisle 4")}, 1}};
    const SheetLayout layout(sheet, items, {}, options, drawer.drawer());
    const SheetPdf pdf = sheetPdf(layout, {});
    QVERIFY(pdf.result.ok());
    const std::vector<QImage> pages = rasterisePdf(pdf.bytes, 254);
    QVERIFY(!pages.empty());
    const QImage label = pages[0].copy(toPixels(sheet.labelRect(0), 10));
    QCOMPARE(QString::fromStdString(testing::decode(label, ZXing::BarcodeFormat::Code128, 1)),
             QStringLiteral("CAP1"));
    // The lowest ink is the caption's, below the bars; and inside the margin.
    const QRgb white = qRgb(255, 255, 255);
    int lowest = -1;
    for (int y = 0; y < label.height(); ++y)
        for (int x = 0; x < label.width(); ++x)
            if (label.pixel(x, y) != white && qGray(label.pixel(x, y)) < 128)
                lowest = y;
    const double marginMm = sheet.label.marginMm;
    QVERIFY(lowest > 0);
    QVERIFY(lowest / 10.0 <= sheet.label.sizeMm.height() - marginMm + 0.2);
    const auto stray = strayInk(pages[0], sheet, 10, 0.2);
    QVERIFY(!stray);
}

void TestSheets::pdfIsWholeOrAbsent()
{
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 5160"))->sheet;
    Drawer drawer;
    const SheetLayout layout(sheet, itemsOf({QStringLiteral("KEEP")}), {}, {}, drawer.drawer());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("old.pdf"));
    QVERIFY(testing::writeFile(path, "old"));
    {
        testing::TinyFileLimit full;
        QVERIFY(!writeSheetPdf(layout, {}, path, false).ok());
    }
    QCOMPARE(testing::readAll(path), QByteArray("old"));
    const PaintResult kept = writeSheetPdf(layout, {}, path, false, {.keepExisting = true});
    QVERIFY(kept.existed);
    QCOMPARE(testing::readAll(path), QByteArray("old"));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() == 1);
}

void TestSheets::deviceMarginsLeaveLabelsInPlace()
{
    // A printer keeps margins it cannot print on; its origin is then at the
    // margin, and the labels must not move with it.
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 5160"))->sheet;
    Drawer drawer;
    const QStringList lines = numbered(QStringLiteral("M"), 30);
    const SheetLayout layout(sheet, itemsOf(lines), {}, {}, drawer.drawer());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(12, 9, 7, 5), QPageLayout::Millimeter));
    const PaintResult result = paintSheet(writer, layout, {});
    QVERIFY2(result.ok(), qPrintable(result.error));
    buffer.close();
    const std::vector<QImage> pages = rasterisePdf(bytes, 254);
    QCOMPARE(int(pages.size()), 1);
    QVERIFY(!strayInk(pages[0], sheet, 10, 0.2));
    for (const int spot : {4, 29}) {
        const QImage label = pages[0].copy(toPixels(sheet.labelRect(spot), 10));
        QCOMPARE(QString::fromStdString(testing::decode(label, ZXing::BarcodeFormat::Code128, 1)),
                 lines[spot]);
    }
}

void TestSheets::previewShowsOutlinesAtThePrintersSizes()
{
    const Sheet& sheet = catalogue().find(QStringLiteral("Avery 3274.3"))->sheet;
    Drawer drawer;
    const SheetLayout layout(sheet, itemsOf({QStringLiteral("PREVIEW")}), {}, {}, drawer.drawer());
    const auto paint = [&](double dpi, bool outlines, int fitDpi) {
        QImage page(int(sheet.pageMm.width() / 25.4 * dpi), int(sheet.pageMm.height() / 25.4 * dpi),
                    QImage::Format_RGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        PaintOptions options;
        options.outlines = outlines;
        options.fitDpi = fitDpi;
        const PaintResult result = paintPage(painter, layout, 0, dpi, dpi, options);
        return std::pair(page, result.labels);
    };
    const auto inkWidthMm = [](const QImage& image, const QRect& area, double dpi) {
        int left = area.right(), right = area.left();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return (right - left + 1) * 25.4 / dpi;
    };
    constexpr double dpi = 100; // a preview on the screen: a dot is 0.254 mm
    const auto [outlined, labels] = paint(dpi, true, 600);
    const auto [plain, plainLabels] = paint(dpi, false, 600);
    QCOMPARE(labels, 1);
    QCOMPARE(plainLabels, 1);
    const auto anyInk = [](const QImage& image, const QRect& area) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    return true;
        return false;
    };
    // The second label is empty: only its outline shows, and only when asked.
    const QRect second = toPixels(sheet.labelRect(1), dpi / 25.4).adjusted(-1, -1, 1, 1);
    QVERIFY(anyInk(outlined, second));
    QVERIFY(!anyInk(plain, second));
    // The circle's centre stays clear of the outline.
    QVERIFY(!anyInk(outlined, QRect(second.center() - QPoint(20, 20), QSize(40, 40))));
    // The symbol is as wide as on the 600-dpi printer, not rounded to whole screen pixels.
    const auto [printed, printedLabels] = paint(600, false, 0);
    QCOMPARE(printedLabels, 1);
    const double previewMm = inkWidthMm(plain, toPixels(sheet.labelRect(0), dpi / 25.4), dpi);
    const double printedMm = inkWidthMm(printed, toPixels(sheet.labelRect(0), 600 / 25.4), 600);
    QVERIFY2(std::abs(previewMm - printedMm) < 0.6,
             qPrintable(QStringLiteral("%1 / %2").arg(previewMm).arg(printedMm)));
}

void TestSheets::customSheets_data()
{
    QTest::addColumn<QString>("spec");
    QTest::addColumn<QString>("error"); // a part of it; empty when the sheet is made
    QTest::addColumn<int>("labels");
    QTest::addColumn<QRectF>("lastLabel");
    QTest::newRow("A4, mm") << "page=A4,label=70x37,grid=3x8,first=0x0.5,pitch=70x37"
                            << "" << 24 << QRectF(140, 259.5, 70, 37);
    QTest::newRow("units, paper by name")
        << "page=US-Letter,label=2.625inx1in,grid=3x10,first=0.15625inx0.5in,"
           "pitch=2.78125inx1in,margin=1.5"
        << "" << 30 << QRectF(3.96875 + 2 * 70.64375, 12.7 + 9 * 25.4, 66.675, 25.4);
    QTest::newRow("page by size, centred without first") << "page=100x50,label=40x20,grid=2x2,pitch=45x25"
                                                         << "" << 4 << QRectF(52.5, 27.5, 40, 20);
    QTest::newRow("round by diameter") << "page=A4,label=40,grid=4x6,first=10x10,pitch=48x45"
                                       << "" << 24 << QRectF(10 + 3 * 48, 10 + 5 * 45, 40, 40);
    QTest::newRow("off the page") << "page=A4,label=70x37,grid=3x9,first=0x0,pitch=70x37"
                                  << "runs off" << 0 << QRectF();
    QTest::newRow("overlapping") << "page=A4,label=70x37,grid=3x2,first=0x0,pitch=60x37"
                                 << "overlap" << 0 << QRectF();
    QTest::newRow("missing grid") << "page=A4,label=70x37"
                                  << "needs grid=" << 0 << QRectF();
    QTest::newRow("unknown paper") << "page=A99,label=70x37,grid=1x1"
                                   << "neither a paper size" << 0 << QRectF();
    QTest::newRow("unknown key") << "page=A4,label=70x37,grid=1x1,gap=2"
                                 << "not part of a custom sheet" << 0 << QRectF();
    QTest::newRow("bad grid") << "page=A4,label=70x37,grid=0x2"
                              << "grid=COLUMNSxROWS" << 0 << QRectF();
    QTest::newRow("margin fills the label") << "page=A4,label=10x10,grid=1x1,margin=5"
                                            << "no room" << 0 << QRectF();
}

void TestSheets::customSheets()
{
    QFETCH(QString, spec);
    QFETCH(QString, error);
    QFETCH(int, labels);
    QFETCH(QRectF, lastLabel);
    const CustomSheetParse parsed = parseCustomSheet(spec);
    QString why = parsed.error;
    SheetResult made;
    if (parsed.custom) {
        made = makeSheet(*parsed.custom);
        why = made.error;
    }
    if (!error.isEmpty()) {
        QVERIFY2(why.contains(error), qPrintable(why));
        return;
    }
    QVERIFY2(why.isEmpty(), qPrintable(why));
    QCOMPARE(made.sheet.labelsPerPage(), labels);
    const QRectF last = made.sheet.labelRect(labels - 1);
    QVERIFY2(
        std::abs(last.x() - lastLabel.x()) < 0.01 && std::abs(last.y() - lastLabel.y()) < 0.01 &&
            std::abs(last.width() - lastLabel.width()) < 0.01,
        qPrintable(
            QStringLiteral("%1,%2 %3x%4").arg(last.x()).arg(last.y()).arg(last.width()).arg(last.height())));
}

void TestSheets::customSheetSpecReadsBack()
{
    CustomSheet custom;
    custom.paper = QStringLiteral("A5");
    custom.labelMm = {30, 30};
    custom.columns = 4;
    custom.rows = 6;
    custom.firstMm = {5.5, 6.25};
    custom.pitchMm = {34.5, 33};
    custom.marginMm = 2;
    custom.round = true;
    const CustomSheetParse back = parseCustomSheet(custom.toSpec());
    QVERIFY2(back.custom, qPrintable(back.error));
    QCOMPARE(back.custom->toSpec(), custom.toSpec());
    QCOMPARE(back.custom->columns, 4);
    QCOMPARE(back.custom->firstMm, QPointF(5.5, 6.25));
    QVERIFY(back.custom->round);
}

void TestSheets::csv_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QString>("records"); // fields joined by |, records by ; each led by its line
    QTest::addColumn<QString>("error");
    QTest::newRow("plain") << "a,b\nc,d\n"
                           << false << "1:a|b;2:c|d"
                           << "";
    QTest::newRow("CRLF, no final line end") << "a,b\r\nc,d" << false << "1:a|b;2:c|d"
                                             << "";
    QTest::newRow("quoted comma and doubled quote") << "\"x,1\",\"say \"\"hi\"\"\"\n"
                                                    << false << "1:x,1|say \"hi\""
                                                    << "";
    QTest::newRow("line break inside quotes keeps the line count") << "\"two\nlines\",b\nnext,c\n"
                                                                   << false << "1:two\nlines|b;3:next|c"
                                                                   << "";
    QTest::newRow("CRLF inside quotes is kept") << "\"a\r\nb\"\r\nc\r\n"
                                                << false << "1:a\r\nb;3:c"
                                                << "";
    QTest::newRow("blank lines skipped") << "a\n\n   \nb\n"
                                         << false << "1:a;4:b"
                                         << "";
    QTest::newRow("empty fields kept") << ",x,\n"
                                       << false << "1:|x|"
                                       << "";
    QTest::newRow("quoted empty is a record") << "\"\"\n"
                                              << false << "1:"
                                              << "";
    QTest::newRow("header skipped") << "sku,name\n\n1,one\n"
                                    << true << "3:1|one"
                                    << "";
    QTest::newRow("byte-order mark") << QString(QChar(0xFEFF)) + "a,b\n"
                                     << false << "1:a|b"
                                     << "";
    QTest::newRow("unclosed quote") << "a\n\"open,b\nc\n"
                                    << false << ""
                                    << "Line 2: a quoted field is not closed";
}

void TestSheets::csv()
{
    QFETCH(QString, text);
    QFETCH(bool, header);
    QFETCH(QString, records);
    QFETCH(QString, error);
    const output::CsvTable table = output::parseCsv(text, header);
    if (!error.isEmpty()) {
        QVERIFY2(table.error.contains(error), qPrintable(table.error));
        QVERIFY(table.records.empty()); // nothing of it is used
        return;
    }
    QCOMPARE(table.error, QString());
    QStringList got;
    for (const output::CsvRecord& record : table.records)
        got << QStringLiteral("%1:%2").arg(record.line).arg(record.fields.join(u'|'));
    QCOMPARE(got.join(u';'), records);
    if (header)
        QCOMPARE(table.header, QStringList({"sku", "name"}));
}

void TestSheets::csvColumns_data()
{
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("error");
    const QStringList header{"SKU", "Name", " Price "};
    QTest::newRow("by number") << "2" << header << 1 << "";
    QTest::newRow("number without a header") << "3" << QStringList() << 2 << "";
    QTest::newRow("by name, any case") << "name" << header << 1 << "";
    QTest::newRow("name trimmed") << "price" << header << 2 << "";
    QTest::newRow("unknown name") << "Colour" << header << -1 << "no column \"Colour\"";
    QTest::newRow("name without a header") << "SKU" << QStringList() << -1 << "no header row";
    QTest::newRow("zero") << "0" << header << -1 << "numbered from 1";
}

void TestSheets::csvColumns()
{
    QFETCH(QString, column);
    QFETCH(QStringList, header);
    QFETCH(int, index);
    QFETCH(QString, error);
    const output::CsvIndex found = output::resolveColumn(output::CsvColumn::parse(column), header);
    QCOMPARE(found.index, index);
    if (error.isEmpty())
        QVERIFY(found.ok());
    else
        QVERIFY2(found.error.contains(error), qPrintable(found.error));
}

void TestSheets::labelSources_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QStringList>("captions"); // columns; "data" for the data itself
    QTest::addColumn<QString>("items");        // line:data[/caption lines] joined by ;
    QTest::addColumn<QString>("bad");          // lines of the bad ones, joined by ,
    QTest::newRow("lines, blank skipped") << "A1\r\n\nA2\n"
                                          << false << "1" << QStringList() << "1:A1;3:A2"
                                          << "";
    QTest::newRow("lines with the data as caption") << "A1\n"
                                                    << false << "1" << QStringList{"data"} << "1:A1/A1"
                                                    << "";
    QTest::newRow("csv by header name, caption columns")
        << "sku,name,aisle\n100,\"Bolt, M6\",4\n\n101,Nut,5\n"
        << true << "sku" << QStringList{"name", "3"} << "2:100/Bolt, M6/4;4:101/Nut/5"
        << "";
    QTest::newRow("csv, short and empty records are bad") << "sku,name\n100,a\nx,\n102\n"
                                                          << true << "name" << QStringList() << "2:a"
                                                          << "3,4";
}

void TestSheets::labelSources()
{
    QFETCH(QString, text);
    QFETCH(bool, csv);
    QFETCH(QString, column);
    QFETCH(QStringList, captions);
    QFETCH(QString, items);
    QFETCH(QString, bad);
    SourceOptions options;
    options.csv = csv;
    options.header = csv;
    options.column = output::CsvColumn::parse(column);
    if (captions == QStringList{"data"}) {
        options.caption = CaptionSource::Data;
    } else if (!captions.isEmpty()) {
        options.caption = CaptionSource::Columns;
        for (const QString& c : captions)
            options.captionColumns.push_back(output::CsvColumn::parse(c));
    }
    const LabelSource source = fromText(text, options);
    QVERIFY2(source.ok(), qPrintable(source.error));
    QStringList got;
    for (const LabelItem& item : source.items)
        got << QStringLiteral("%1:%2").arg(item.line).arg((QStringList{item.data} + item.caption).join(u'/'));
    QCOMPARE(got.join(u';'), items);
    QStringList badLines;
    for (const BadItem& b : source.bad)
        badLines << QString::number(b.line);
    QCOMPARE(badLines.join(u','), bad);
}

void TestSheets::csvColumnBeyondTheFile_data()
{
    // A column the header row, or the first record where there is none, does
    // not have is refused once for the file; a record narrower than the
    // first is that line's fault alone.
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QString>("column");
    QTest::addColumn<QString>("caption"); // a caption column, or empty
    QTest::addColumn<QString>("error");   // empty when the file is used
    QTest::addColumn<QString>("bad");     // lines of the bad ones, joined by ,
    QTest::newRow("beyond the header")
        << "sku,name\n100,a,extra\n101,b\n" << true << "3" << "" << "Column 3 does not exist: the header row has 2 "
                                                                     "columns (sku, name)."
        << "";
    QTest::newRow("beyond the first record")
        << "100\n101,b\n" << false << "2" << "" << "Column 2 does not exist: the first record (line 1) has 1 column."
        << "";
    QTest::newRow("blank lines before the first record")
        << "\n\n100,a\n" << false << "3" << "" << "Column 3 does not exist: the first record (line 3) has 2 columns."
        << "";
    QTest::newRow("caption beyond the header")
        << "sku,name\n100,a\n" << true << "1" << "4" << "Column 4 does not exist: the header row has 2 columns (sku, name)."
        << "";
    QTest::newRow("the last column") << "sku,name\n100,a\n" << true << "2" << "" << "" << "";
    QTest::newRow("a narrower record later") << "100,a\n101\n102,c\n" << false << "2" << "" << "" << "2";
}

void TestSheets::csvColumnBeyondTheFile()
{
    QFETCH(QString, text);
    QFETCH(bool, header);
    QFETCH(QString, column);
    QFETCH(QString, caption);
    QFETCH(QString, error);
    QFETCH(QString, bad);
    SourceOptions options;
    options.csv = true;
    options.header = header;
    options.column = output::CsvColumn::parse(column);
    if (!caption.isEmpty()) {
        options.caption = CaptionSource::Columns;
        options.captionColumns.push_back(output::CsvColumn::parse(caption));
    }
    const LabelSource source = fromText(text, options);
    QCOMPARE(source.error, error);
    QStringList badLines;
    for (const BadItem& b : source.bad)
        badLines << QString::number(b.line);
    QCOMPARE(badLines.join(u','), bad);
    // Refused, nothing of the file is used: no labels, no line's complaint.
    if (!error.isEmpty())
        QVERIFY(source.items.empty());
}

void TestSheets::notesOfOneKindAreSaidOnce()
{
    auto note = [](int page, int row, int column, qint64 line, const char* message) {
        return sheets::LabelNote{page, row, column, line, QString(), QString::fromLatin1(message)};
    };
    const std::vector<sheets::LabelNote> notes = {
        note(0, 1, 2, 5, "too small"),  note(0, 2, 0, 7, "not read"), note(0, 2, 1, 8, "too small"),
        note(1, 0, 0, 40, "too small"), note(1, 3, 2, 0, "not read"), note(2, 0, 0, 61, "blank")};
    QCOMPARE(sheets::groupedNotes(notes),
             (QStringList{QStringLiteral("Page 1, row 2, column 3 (line 5) and 2 other labels: too small"),
                          QStringLiteral("Page 1, row 3, column 1 (line 7) and 1 other label: not read"),
                          QStringLiteral("Page 3, row 1, column 1 (line 61): blank")}));
    QVERIFY(sheets::groupedNotes({}).isEmpty());
}

QTEST_MAIN(TestSheets)
#include "tst_sheets.moc"
