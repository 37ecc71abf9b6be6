// The symbologies libzint encodes: drawn on the surface, replayed at whole
// pixels a module and in SVG, and read back by ZXing-cpp (never by libzint,
// which made them); options that must show in the symbol; data refused in
// the program's words; the scan check's verdict where no decoder reads them.
#include "support/TestSupport.h"

#include "draw/Recording.h"
#include "draw/Surface.h"
#include "draw/SvgWriter.h"
#include "formats/Export.h"
#include "jobs/SymbolJob.h"
#include "jobs/Surfaces.h"
#include "jobs/Symbologies.h"
#include "verify/ExportCheck.h"
#include "verify/ScanCheck.h"
#include "zint/Encode.h"
#include "zint/Symbols.h"

#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTest>


#include <zint.h>

#include <cmath>
#include <ranges>
#include <set>
#include <span>

using namespace zintsym;

namespace {

const Kind& kind(const char* name)
{
    const Kind* k = kindNamed(QString::fromLatin1(name));
    if (!k)
        qFatal("no kind %s", name);
    return *k;
}

// Export settings that make `pixels` pixels a module.
output::ExportSettings atPixels(int pixels)
{
    output::ExportSettings settings;
    settings.moduleMm = 0.254;
    settings.dpi = 100 * pixels;
    return settings;
}

// What ZXing-cpp reads from the picture, on white paper with room around it:
// EAN/UPC add-ons read with the symbol.
QString zxingRead(const QImage& picture, const char* decoder)
{
    const ZXing::Result r = testing::scanFramed(picture, ZXing::BarcodeFormatFromString(decoder),
                                                {.addOns = true, .rotated = false});
    return r.isValid() ? QString::fromStdString(r.text()) : QStringLiteral("<no symbol>");
}

QImage svgPicture(const draw::Surface& surface, int pixels)
{
    QSvgRenderer renderer(surface.toSvg());
    const QSize size = renderer.defaultSize() * pixels;
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    renderer.render(&p);
    return image;
}

const QString kGs = QString(QChar(0x1D));

} // namespace

class TestZint : public QObject {
    Q_OBJECT

  private slots:
    void everySymbologyListedOnce();
    void namesAnswer_data();
    void namesAnswer();
    void readsBack_data();
    void readsBack();
    void higherEccGivesLargerQr();
    void symbolSizeGivesThatSize_data();
    void symbolSizeGivesThatSize();
    void addonPresentInDecode();
    void quietZones_data();
    void quietZones();
    void retailStandardProportions();
    void badDataRefusedPlainly_data();
    void badDataRefusedPlainly();
    void gs1CheckDigits_data();
    void gs1CheckDigits();
    void gridDrawnAsTheBitmap_data();
    void gridDrawnAsTheBitmap();
    void modulesSetAsAPainterFillsThem_data();
    void modulesSetAsAPainterFillsThem();
    void hexagonsAndCircles();
    void scanCheckReadsLibraryKinds_data();
    void scanCheckReadsLibraryKinds();
    void noDecoderIsNotChecked();
};

void TestZint::everySymbologyListedOnce()
{
    // Every id of the installed libzint, once, but the window's own four and
    // the check-digit twins that add nothing; names given and unique, groups
    // in order.
    std::set<int> ids;
    std::set<QString> names;
    for (const Kind& k : kinds()) {
        ids.insert(k.id);
        // Every kind can be asked for by its listed name.
        QVERIFY2(k.name && *k.name, k.title);
        QCOMPARE(kindNamed(QString::fromLatin1(k.name)), &k);
        QVERIFY2(names.insert(QString::fromLatin1(k.name)).second, k.name);
        QVERIFY(k.title && *k.title && k.description && *k.description && k.data && *k.data);
        QCOMPARE(QString::fromLatin1(k.name), QString::fromLatin1(k.name).toLower());
        if (k.decoder)
            QVERIFY2(ZXing::BarcodeFormatFromString(k.decoder) != ZXing::BarcodeFormat::None, k.decoder);
    }
    for (int id = 1; id <= BARCODE_LAST; ++id) {
        if (!ZBarcode_ValidID(id))
            continue;
        const bool windowsOwn = id == BARCODE_CODE39 || id == BARCODE_CODE128 || id == BARCODE_CODABAR ||
                                id == BARCODE_C25INTER;
        const bool twin = id == BARCODE_EANX_CHK || id == BARCODE_UPCA_CHK || id == BARCODE_UPCE_CHK;
        QVERIFY2(ids.count(id) == (windowsOwn || twin ? 0u : 1u), qPrintable(QString::number(id)));
    }
    const auto all = kinds();
    QVERIFY(std::is_sorted(all.begin(), all.end(), [](const Kind& a, const Kind& b) { return a.group < b.group; }));
}

void TestZint::namesAnswer_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("gs1");
    // The short names the command line documents, titles, libzint's own names.
    const struct {
        const char* name;
        int id;
        bool gs1;
    } rows[] = {
        {"qr", BARCODE_QRCODE, false},          {"microqr", BARCODE_MICROQR, false},
        {"datamatrix", BARCODE_DATAMATRIX, false}, {"aztec", BARCODE_AZTEC, false},
        {"pdf417", BARCODE_PDF417, false},      {"micropdf417", BARCODE_MICROPDF417, false},
        {"maxicode", BARCODE_MAXICODE, false},  {"dotcode", BARCODE_DOTCODE, false},
        {"gs1-128", BARCODE_GS1_128, true},     {"gs1-datamatrix", BARCODE_DATAMATRIX, true},
        {"gs1-qr", BARCODE_QRCODE, true},       {"databar", BARCODE_DBAR_OMN, false},
        {"databar-expanded", BARCODE_DBAR_EXP, true}, {"ean8", BARCODE_EANX, false},
        {"upce", BARCODE_UPCE, false},          {"code93", BARCODE_CODE93, false},
        {"itf14", BARCODE_ITF14, false},        {"code11", BARCODE_CODE11, false},
        {"msi", BARCODE_MSI_PLESSEY, false},    {"postnet", BARCODE_POSTNET, false},
        {"QR Code", BARCODE_QRCODE, false},     {"  DataMatrix ", BARCODE_DATAMATRIX, false},
        {"qrcode", BARCODE_QRCODE, false},      {"msi-plessey", BARCODE_MSI_PLESSEY, false},
        {"gs1-128", BARCODE_GS1_128, true},     {"dbar-exp", BARCODE_DBAR_EXP, true},
        {"hanxin", BARCODE_HANXIN, false},      {"eanx-cc", BARCODE_EANX_CC, true},
    };
    for (const auto& r : rows)
        QTest::newRow(r.name) << QString::fromLatin1(r.name) << r.id << r.gs1;
}

void TestZint::namesAnswer()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    QFETCH(bool, gs1);
    const Kind* k = kindNamed(name);
    QVERIFY(k);
    QCOMPARE(k->id, id);
    QCOMPARE(bool(k->options & Gs1), gs1);
    QCOMPARE(kindNamed(name.toUpper()), k);
    QVERIFY(!kindNamed(QStringLiteral("no-such-symbology")));
    // The window's buttons keep their names; the jobs' lookup leaves them be.
    QVERIFY(!output::libraryKindNamed(QStringLiteral("code128")));
    QVERIFY(!output::libraryKindNamed(QStringLiteral("EAN-13")));
    QCOMPARE(output::libraryKindNamed(name), k);
}

void TestZint::readsBack_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("ecc");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("addon");
    QTest::addColumn<QString>("reading"); // as ZXing-cpp returns it
    const QString none;
    QTest::newRow("qr") << "qr" << "https://example.org/asset/4711" << none << 0 << none
                        << "https://example.org/asset/4711";
    QTest::newRow("qr lines") << "qr" << "Line one\nLine two" << "H" << 0 << none << "Line one\nLine two";
    QTest::newRow("qr utf-8 eci") << "qr" << QString::fromUtf8("Grüße € 日本") << none << 0 << none
                                  << QString::fromUtf8("Grüße € 日本");
    QTest::newRow("microqr") << "microqr" << "12345" << none << 0 << none << "12345";
    QTest::newRow("datamatrix") << "datamatrix" << "Part 4711, lot 0815" << none << 0 << none
                                << "Part 4711, lot 0815";
    QTest::newRow("datamatrix utf-8") << "datamatrix" << QString::fromUtf8("Ελληνικά") << none << 0 << none
                                      << QString::fromUtf8("Ελληνικά");
    QTest::newRow("aztec") << "aztec" << "Ticket 12 A" << "50%" << 0 << none << "Ticket 12 A";
    QTest::newRow("pdf417") << "pdf417" << "ID 0042 / Jane Doe" << "5" << 0 << none << "ID 0042 / Jane Doe";
    QTest::newRow("maxicode") << "maxicode" << "Parcel 42 to Leeds" << none << 0 << none << "Parcel 42 to Leeds";
    QTest::newRow("gs1-128") << "gs1-128" << "[01]09501101530003[10]AB12[17]261231" << none << 0 << none
                             << "010950110153000310AB12" + kGs + "17261231";
    QTest::newRow("gs1-128 fixed last") << "gs1-128" << "[01]09501101530003[17]261231" << none << 0 << none
                                        << "0109501101530003" "17261231";
    QTest::newRow("gs1-datamatrix") << "gs1-datamatrix" << "[01]09501101530003[10]AB12[17]261231" << none << 0
                                    << none << "010950110153000310AB12" + kGs + "17261231";
    QTest::newRow("gs1-qr") << "gs1-qr" << "[01]09501101530003[17]261231" << none << 0 << none
                            << "0109501101530003" "17261231";
    QTest::newRow("databar") << "databar" << "0950110153000" << none << 0 << none << "09501101530003";
    QTest::newRow("databar check digit") << "databar" << "09501101530003" << none << 0 << none << "09501101530003";
    QTest::newRow("databar-expanded") << "databar-expanded" << "[01]09501101530003[3103]001750" << none << 0
                                      << none << "(01)09501101530003(3103)001750";
    QTest::newRow("ean8") << "ean8" << "5901234" << none << 0 << none << "59012344";
    QTest::newRow("ean8 check digit") << "ean8" << "59012344" << none << 0 << none << "59012344";
    QTest::newRow("ean8 addon") << "ean8" << "5901234" << none << 0 << "12" << "59012344 12";
    QTest::newRow("upce") << "upce" << "0123456" << none << 0 << none << "01234565";
    QTest::newRow("upce addon") << "upce" << "01234565" << none << 0 << "12345" << "01234565 12345";
    QTest::newRow("ean13 addon") << "ean13" << "5901234123457" << none << 0 << "12" << "5901234123457 12";
    QTest::newRow("upca addon") << "upca" << "01234567890" << none << 0 << "12345" << "012345678905 12345";
    QTest::newRow("isbn hyphens") << "isbn" << "978-0-306-40615-7" << none << 0 << "51995"
                                  << "9780306406157 51995";
    QTest::newRow("isbn-10") << "isbn" << "0-306-40615-2" << none << 0 << none << "9780306406157";
    QTest::newRow("code93") << "code93" << "PART-93 A" << none << 0 << none << "PART-93 A";
    QTest::newRow("itf14") << "itf14" << "1234567890123" << none << 0 << none << "12345678901231";
    QTest::newRow("itf14 check digit") << "itf14" << "12345678901231" << none << 0 << none << "12345678901231";
    QTest::newRow("ean14 check digit") << "ean14" << "12345678901231" << none << 0 << none << "0112345678901231";
    // Numbers as printed on the case or the label, grouped by spaces or hyphens.
    QTest::newRow("itf14 as printed") << "itf14" << "1 54 00141 28876 3" << none << 0 << none << "15400141288763";
    QTest::newRow("ean14 as printed") << "ean14" << "1-54-00141-28876-3" << none << 0 << none
                                      << "0115400141288763";
    QTest::newRow("code128b") << "code128b" << "hello 128" << none << 0 << none << "hello 128";
    QTest::newRow("databar-stacked") << "databar-stacked" << "0950110153000" << none << 0 << none
                                     << "09501101530003";
    QTest::newRow("sscc18") << "sscc18" << "12345678901234567" << none << 0 << none << "00123456789012345675";
    QTest::newRow("sscc18 check digit") << "sscc18" << "123456789012345675" << none << 0 << none
                                        << "00123456789012345675";
    QTest::newRow("sscc18 as printed") << "sscc18" << "1 0614141 123456789 7" << none << 0 << none
                                       << "00106141411234567897";
}

void TestZint::readsBack()
{
    QFETCH(QString, name);
    QFETCH(QString, data);
    QFETCH(QString, ecc);
    QFETCH(int, size);
    QFETCH(QString, addon);
    QFETCH(QString, reading);
    const Kind& k = kind(qPrintable(name));
    QVERIFY(k.decoder);
    output::SymbolSurfaces surfaces;
    const output::SymbolResult symbol =
        output::drawSymbol(surfaces, k, data, {.addon = addon, .ecc = ecc, .symbolSize = size});
    QVERIFY2(symbol.ok(), qPrintable(symbol.message));
    QCOMPARE(symbol.surface, &surfaces.picSymbol());
    QCOMPARE(symbol.reading, reading);
    // At 3 pixels a module as exports make it, and from the SVG at 4.
    const output::Rendered picture = output::render(*symbol.surface, atPixels(3));
    QVERIFY2(picture.ok(), qPrintable(picture.error));
    QCOMPARE(zxingRead(picture.image, k.decoder), reading);
    QCOMPARE(zxingRead(svgPicture(*symbol.surface, 4), k.decoder), reading);
}

void TestZint::higherEccGivesLargerQr()
{
    output::SymbolSurfaces surfaces;
    const QString data = QStringLiteral("Asset 000123 / Building 4 / Room 17");
    // Each level at least as large as the one below, H larger than L.
    std::vector<int> widths;
    for (const QString& level : eccLevels(kind("qr"))) {
        QVERIFY(output::drawSymbol(surfaces, kind("qr"), data, {.ecc = level}).ok());
        widths.push_back(surfaces.picSymbol().imageWidth());
    }
    QVERIFY(std::is_sorted(widths.begin(), widths.end()));
    QVERIFY(widths.back() > widths.front());
    QCOMPARE(eccLevels(kind("qr")), QStringList({"L", "M", "Q", "H"}));
}

void TestZint::symbolSizeGivesThatSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("sizeName");
    QTest::addColumn<QSize>("modules"); // the symbol's own, quiet zones left out
    QTest::addColumn<int>("quiet");
    QTest::newRow("qr version 5") << "qr" << 5 << "37x37 (version 5)" << QSize(37, 37) << 4;
    QTest::newRow("qr version 1") << "qr" << 1 << "21x21 (version 1)" << QSize(21, 21) << 4;
    QTest::newRow("microqr M3") << "microqr" << 3 << "15x15 (M3)" << QSize(15, 15) << 2;
    QTest::newRow("datamatrix 32x32") << "datamatrix" << 10 << "32x32" << QSize(32, 32) << 1;
    QTest::newRow("datamatrix 16x48") << "datamatrix" << 30 << "16x48" << QSize(48, 16) << 1;
    QTest::newRow("aztec compact 2") << "aztec" << 2 << "19x19 (compact, 2 layers)" << QSize(19, 19) << 0;
}

void TestZint::symbolSizeGivesThatSize()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(QString, sizeName);
    QFETCH(QSize, modules);
    QFETCH(int, quiet);
    const Kind& k = kind(qPrintable(name));
    QCOMPARE(symbolSizes(k).value(size - 1), sizeName);
    output::SymbolSurfaces surfaces;
    const output::SymbolResult symbol = output::drawSymbol(surfaces, k, QStringLiteral("12"), {.symbolSize = size});
    QVERIFY2(symbol.ok(), qPrintable(symbol.message));
    const QImage image = surfaces.picSymbol().Image();
    QCOMPARE(image.size(), modules + QSize(2 * quiet, 2 * quiet));
    // The quiet zone is paper, the symbol's corner ink (every one of these
    // has a finder or a border in its top-left or bottom-left corner).
    QVERIFY(!testing::anyDark(image, QRect(0, 0, image.width(), quiet)));
    QVERIFY(testing::anyDark(image, QRect(quiet, quiet, 2, modules.height())));
}

void TestZint::addonPresentInDecode()
{
    // With and without: the add-on is what the scanner reads beyond the main symbol.
    output::SymbolSurfaces surfaces;
    const Kind& upce = kind("upce");
    QVERIFY(output::drawSymbol(surfaces, upce, QStringLiteral("0123456"), {}).ok());
    const int plain = surfaces.picSymbol().imageWidth();
    QCOMPARE(zxingRead(output::render(surfaces.picSymbol(), atPixels(3)).image, upce.decoder),
             QStringLiteral("01234565"));
    QVERIFY(output::drawSymbol(surfaces, upce, QStringLiteral("0123456"), {.addon = QStringLiteral("12")}).ok());
    QVERIFY(surfaces.picSymbol().imageWidth() > plain + 20);
    QCOMPARE(zxingRead(output::render(surfaces.picSymbol(), atPixels(3)).image, upce.decoder),
             QStringLiteral("01234565 12"));
    // "+" in the data is the same add-on.
    QVERIFY(output::drawSymbol(surfaces, upce, QStringLiteral("0123456+12"), {}).ok());
    QCOMPARE(surfaces.picSymbol().description(), QStringLiteral("01234565 12"));
}

void TestZint::quietZones_data()
{
    // Columns of paper left and right of the first and last bar or module.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::newRow("qr 4") << "qr" << "quiet" << 4 << 4;
    QTest::newRow("datamatrix 1") << "datamatrix" << "quiet" << 1 << 1;
    QTest::newRow("ean13 11/7") << "ean13" << "590123412345" << 11 << 7;
    QTest::newRow("ean8 7/7") << "ean8" << "5901234" << 7 << 7;
    QTest::newRow("upce 9/7") << "upce" << "0123456" << 9 << 7;
    QTest::newRow("gs1-128 10/10") << "gs1-128" << "[01]09501101530003" << 10 << 10;
    QTest::newRow("code93 10/10") << "code93" << "QUIET" << 10 << 10;
}

void TestZint::quietZones()
{
    QFETCH(QString, name);
    QFETCH(QString, data);
    QFETCH(int, left);
    QFETCH(int, right);
    output::SymbolSurfaces surfaces;
    QVERIFY(output::drawSymbol(surfaces, kind(qPrintable(name)), data, {.showText = false}).ok());
    const QImage image = surfaces.picSymbol().Image();
    int first = image.width();
    int last = -1;
    for (int y = 0; y < image.height(); ++y) {
        const std::vector<int> dark = testing::darkColumns(image, y);
        if (!dark.empty()) {
            first = std::min(first, dark.front());
            last = std::max(last, dark.back());
        }
    }
    QCOMPARE(first, left);
    QCOMPARE(image.width() - 1 - last, right);
}

void TestZint::retailStandardProportions()
{
    // At 0.33 mm a module the bars stand 22.85 mm: 69 modules, the guard bars
    // 5 modules longer, the digits under the bars between them.
    output::SymbolSurfaces surfaces;
    QVERIFY(output::drawSymbol(surfaces, kind("ean13"), QStringLiteral("590123412345"), {}).ok());
    const QImage image = surfaces.picSymbol().Image();
    const int guard = 11;    // the left guard's first bar, after the quiet zone
    const int digitBar = 17; // the first bar of the first left digit, 9 of set B: 0010111
    QCOMPARE(testing::darkRows(image, guard), std::make_pair(0, 73));
    const auto [top, bottom] = testing::darkRows(image, digitBar);
    QCOMPARE(top, 0);
    QCOMPARE(bottom, 68);
    // The digits sit below the short bars and above the picture's foot.
    QVERIFY(testing::anyDark(image, QRect(20, 70, 40, image.height() - 70)));
    QVERIFY(image.height() > 74);
}

void TestZint::badDataRefusedPlainly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("ecc");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("addon");
    QTest::addColumn<QString>("message"); // exactly, or a pattern when it starts with ^
    const QString none;
    QTest::newRow("ean13 letter") << "ean13" << "59012341234a" << none << 0 << none
                                  << "Invalid character \"a\" at position 12: EAN-13 takes digits only";
    QTest::newRow("ean13 check digit") << "ean13" << "5901234123458" << none << 0 << none
                                       << "The check digit is 7, not 8";
    QTest::newRow("ean13 length") << "ean13" << "59012341234" << none << 0 << none
                                  << "EAN-13 takes 12 digits, or 13 with the check digit; this is 11 digits";
    QTest::newRow("ean8 check digit") << "ean8" << "59012342" << none << 0 << none
                                      << "The check digit is 4, not 2";
    QTest::newRow("itf14 check digit") << "itf14" << "12345678901234" << none << 0 << none
                                       << "The check digit is 1, not 4";
    QTest::newRow("sscc18 check digit") << "sscc18" << "123456789012345671" << none << 0 << none
                                        << "The check digit is 5, not 1";
    QTest::newRow("itf14 as printed, check digit") << "itf14" << "1 54 00141 28876 4" << none << 0 << none
                                                   << "The check digit is 3, not 4";
    QTest::newRow("itf14 length") << "itf14" << "154001412887630" << none << 0 << none
                                  << "ITF-14 takes 13 digits, or 14 with the check digit; this is 15 digits";
    QTest::newRow("itf14 letter with the check digit")
        << "itf14" << "1540014128876A" << none << 0 << none
        << "Invalid character \"A\" at position 14: ITF-14 takes digits only";
    QTest::newRow("itf14 trailing space") << "itf14" << "15400141288763 " << none << 0 << none
                                          << "Invalid character U+0020 at position 15: ITF-14 takes digits only";
    QTest::newRow("ean14 length") << "ean14" << "1 54 00141 28876 30" << none << 0 << none
                                  << "EAN-14 takes 13 digits, or 14 with the check digit; this is 15 digits";
    QTest::newRow("sscc18 length") << "sscc18" << "1234567890123456789" << none << 0 << none
                                   << "SSCC-18 takes 17 digits, or 18 with the check digit; this is 19 digits";
    QTest::newRow("sscc18 letter with the check digit")
        << "sscc18" << "12345678901234567X" << none << 0 << none
        << "Invalid character \"X\" at position 18: SSCC-18 takes digits only";
    QTest::newRow("upce system") << "upce" << "2123456" << none << 0 << none
                                 << "A UPC-E begins with number system 0 or 1";
    QTest::newRow("isbn check digit") << "isbn" << "978-0-306-40615-8" << none << 0 << none
                                      << "The check digit is 7, not 8";
    QTest::newRow("isbn letter") << "isbn" << "978-0-3O6-40615-7" << none << 0 << none
                                 << "Invalid character \"O\" at position 8: an ISBN takes digits, hyphens and a final X";
    QTest::newRow("addon length") << "ean13" << "590123412345" << none << 0 << "123"
                                  << "An add-on is 2 or 5 digits, not \"123\"";
    QTest::newRow("addon where none") << "qr" << "x" << none << 0 << "12"
                                      << "QR Code takes no add-on";
    QTest::newRow("gs1 unclosed") << "gs1-128" << "[01]09501101530003[17" << none << 0 << none
                                  << "Unbalanced bracket at position 19: \"[\" is never closed";
    QTest::newRow("gs1 stray close") << "gs1-datamatrix" << "[01]09501101530003]17[261231" << none << 0 << none
                                     << "Unbalanced bracket at position 19: \"]\" closes no AI";
    QTest::newRow("gs1 no ai") << "databar-expanded" << "0950110153000" << none << 0 << none
                               << "GS1 data begins with an AI in brackets, such as [01]";
    QTest::newRow("gs1 ai length") << "gs1-qr" << "[01]123" << none << 0 << none << "^AI \\(01\\)";
    QTest::newRow("databar too long") << "databar" << "123456789012345" << none << 0 << none
                                      << "Too long for GS1 DataBar: at most 14 characters";
    QTest::newRow("qr too long at H") << "qr" << QString(3000, u'a') << "H" << 0 << none
                                      << "Too long for QR Code at level H: at most 1273 characters of this data";
    QTest::newRow("qr too long at a size") << "qr" << QString(30, u'a') << "M" << 1 << none
                                           << "Too long for QR Code at level M at size 21x21 (version 1): at most 14 "
                                              "characters of this data";
    QTest::newRow("maxicode too long") << "maxicode" << QString(200, u'x') << none << 0 << none
                                       << "^Too long for MaxiCode: at most \\d+ characters of this data";
    QTest::newRow("code93 non-ascii") << "code93" << QString::fromUtf8("AB€C") << none << 0 << none
                                      << "^Invalid character \"€\" at position 3";
    QTest::newRow("msi letter") << "msi" << "12A4" << none << 0 << none
                                << "Invalid character \"A\" at position 3: MSI Plessey takes digits only";
    QTest::newRow("code11 letter") << "code11" << "12-3x" << none << 0 << none
                                   << "Invalid character \"x\" at position 5: Code 11 takes digits and \"-\" only";
    QTest::newRow("postnet letter") << "postnet" << "1234a" << none << 0 << none
                                    << "Invalid character \"a\" at position 5: POSTNET takes digits only";
    QTest::newRow("ecc unknown") << "qr" << "x" << "Z" << 0 << none
                                 << "QR Code has no level \"Z\"; its levels are L, M, Q, H";
    QTest::newRow("size out of range") << "microqr" << "1" << none << 5 << none
                                       << "Micro QR Code has sizes 1 to 4, not 5";
    QTest::newRow("too long for any") << "qr" << QString(40000, u'1') << none << 0 << none
                                      << "^The data is longer than 32767 characters";
}

void TestZint::badDataRefusedPlainly()
{
    QFETCH(QString, name);
    QFETCH(QString, data);
    QFETCH(QString, ecc);
    QFETCH(int, size);
    QFETCH(QString, addon);
    QFETCH(QString, message);
    output::SymbolSurfaces surfaces;
    // A symbol drawn before stays as it was: a refusal draws nothing.
    QVERIFY(output::drawSymbol(surfaces, kind("qr"), QStringLiteral("before"), {}).ok());
    const auto before = surfaces.picSymbol().recording();
    const output::SymbolResult symbol =
        output::drawSymbol(surfaces, kind(qPrintable(name)), data, {.addon = addon, .ecc = ecc, .symbolSize = size});
    QVERIFY(!symbol.ok());
    if (message.startsWith(u'^'))
        QVERIFY2(symbol.message.contains(QRegularExpression(message.mid(1))), qPrintable(symbol.message));
    else
        QCOMPARE(symbol.message, message);
    // Never libzint's own numbered errors.
    QVERIFY2(!symbol.message.contains(QRegularExpression(QStringLiteral("(Error|Warning) \\d"))),
             qPrintable(symbol.message));
    QCOMPARE(surfaces.picSymbol().recording(), before);
}

void TestZint::gs1CheckDigits_data()
{
    // libzint only warns of a wrong check digit in GS1 keys and encodes it;
    // every kind that takes AIs in brackets refuses it, the position counted
    // in the data as typed, the composite part's after the linear part's.
    // The same for data that breaks the standard's other rules.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("message"); // empty where the data is right
    const QString right;
    QTest::newRow("gs1-128 GTIN") << "gs1-128" << "[01]09501101530003" << right;
    QTest::newRow("gs1-128 GTIN wrong") << "gs1-128" << "[01]09501101530004"
                                        << "The check digit of AI (01) at position 18 is 3, not 4";
    QTest::newRow("gs1-datamatrix SSCC") << "gs1-datamatrix" << "[00]106141411234567897" << right;
    QTest::newRow("gs1-datamatrix SSCC wrong") << "gs1-datamatrix" << "[00]106141411234567891"
                                               << "The check digit of AI (00) at position 22 is 7, not 1";
    QTest::newRow("gs1-qr GLN after a date") << "gs1-qr" << "[17]261231[414]9501101530003" << right;
    QTest::newRow("gs1-qr GLN wrong after a date") << "gs1-qr" << "[17]261231[414]9501101530008"
                                                   << "The check digit of AI (414) at position 28 is 3, not 8";
    QTest::newRow("databar-expanded GTIN wrong") << "databar-expanded" << "[01]09501101530005[3103]001750"
                                                 << "The check digit of AI (01) at position 18 is 3, not 5";
    QTest::newRow("gs1-aztec GDTI, serial after") << "gs1-aztec" << "[253]4012345000009ABC" << right;
    QTest::newRow("gs1-aztec GDTI wrong") << "gs1-aztec" << "[253]4012345000001ABC"
                                          << "The check digit of AI (253) at position 18 is 9, not 1";
    QTest::newRow("gs1-dotcode GSRN wrong") << "gs1-dotcode" << "[8018]123456789012345674"
                                            << "The check digit of AI (8018) at position 24 is 5, not 4";
    QTest::newRow("gs1-128-cc") << "gs1-128-cc" << "[01]09501101530003|[10]AB[02]09501101530003" << right;
    QTest::newRow("gs1-128-cc linear wrong") << "gs1-128-cc" << "[01]09501101530004|[10]AB"
                                             << "The check digit of AI (01) at position 18 is 3, not 4";
    QTest::newRow("gs1-128-cc composite wrong") << "gs1-128-cc" << "[01]09501101530003|[10]AB[02]09501101530009"
                                                << "The check digit of AI (02) at position 43 is 3, not 9";
    QTest::newRow("dbar-exp-cc composite wrong") << "dbar-exp-cc" << "[01]09501101530003|[00]106141411234567890"
                                                 << "The check digit of AI (00) at position 41 is 7, not 0";
    // A batch or lot number is no key: its last digit is the user's.
    QTest::newRow("lot number ends as it likes") << "gs1-128" << "[10]12345678" << right;
    // The standard's other rules, which libzint also only warned of.
    QTest::newRow("gs1-128 month 13") << "gs1-128" << "[01]09501101530003[17]261399"
                                      << "Invalid month '13' in AI (17) at position 25";
    QTest::newRow("gs1-datamatrix character outside the set") << "gs1-datamatrix" << "[10]AB~"
                                                              << "Invalid character '~' in AI (10) at position 7: GS1 allows no such character there";
    QTest::newRow("gs1-128-cc month 13, composite part") << "gs1-128-cc" << "[01]09501101530003|[17]261399"
                                                         << "Invalid month '13' in AI (17) at position 26";
    QTest::newRow("gs1-128-cc month 13, linear part") << "gs1-128-cc" << "[01]09501101530003[17]261399|[10]AB"
                                                      << "Invalid month '13' in AI (17) at position 25";
}

void TestZint::gs1CheckDigits()
{
    QFETCH(QString, name);
    QFETCH(QString, data);
    QFETCH(QString, message);
    output::SymbolSurfaces surfaces;
    const output::SymbolResult symbol = output::drawSymbol(surfaces, kind(qPrintable(name)), data, {});
    QCOMPARE(symbol.message, message);
    QCOMPARE(symbol.ok(), message.isEmpty());
}

void TestZint::gridDrawnAsTheBitmap_data()
{
    // Matrix symbols and PDF417's family are drawn from libzint's module rows,
    // with the quiet zones and row heights put in here: every such kind, and
    // their sizes, levels and GS1 data, must come out as the bitmap libzint
    // would have made, to the pixel and to the recorded bar.
    QTest::addColumn<int>("index"); // into kinds(): not every kind has a name
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("ecc");
    QTest::addColumn<int>("size");
    const QStringList samples = {QStringLiteral("Grid 12345"), QStringLiteral("12345"), QStringLiteral("7"),
                                 QStringLiteral("[01]09501101530003[17]261231"), QStringLiteral("A123BJC5D6E71")};
    const QString longText = QStringLiteral("Rows of modules drawn straight from the grid, 0123456789. ").repeated(6);
    int kinds = 0;
    for (int index = 0; index < int(zintsym::kinds().size()); ++index) {
        const Kind& k = zintsym::kinds()[size_t(index)];
        const auto onGrid = [&](const QString& data, const Options& options) {
            const Encoding e = encode(k, data, options);
            return e.ok() && e.layout == Layout::Grid;
        };
        const auto sample = std::ranges::find_if(samples, [&](const QString& d) { return onGrid(d, {}); });
        if (sample == samples.end())
            continue;
        ++kinds;
        const char* title = k.title;
        QTest::addRow("%s %s", title, qPrintable(*sample)) << index << *sample << QString() << 0;
        if (!(k.options & Gs1) && onGrid(longText, {}))
            QTest::addRow("%s long", title) << index << longText << QString() << 0;
        for (const QString& level : eccLevels(k))
            if (onGrid(*sample, {.ecc = level}))
                QTest::addRow("%s ecc %s", title, qPrintable(level)) << index << *sample << level << 0;
        const int sizes = int(symbolSizes(k).size());
        for (int size : std::set<int>{1, 2, sizes / 2, sizes}) {
            // The smallest sizes hold a digit or two.
            for (const QString& data : {QStringLiteral("7"), *sample})
                if (size > 0 && onGrid(data, {.symbolSize = size})) {
                    QTest::addRow("%s size %d", title, size) << index << data << QString() << size;
                    break;
                }
        }
    }
    // The matrix kinds and PDF417's (HIBC's among them), not one fewer.
    if (kinds < 18)
        qFatal("only %d kinds are drawn from the grid", kinds);
}

void TestZint::gridDrawnAsTheBitmap()
{
    QFETCH(int, index);
    QFETCH(QString, data);
    QFETCH(QString, ecc);
    QFETCH(int, size);
    const Kind& k = zintsym::kinds()[size_t(index)];
    const Options options{.ecc = ecc, .symbolSize = size};
    const Encoding grid = encode(k, data, options);
    const Encoding bitmap = encode(k, data, options, false);
    QVERIFY(grid.ok() && bitmap.ok());
    QCOMPARE(grid.layout, Layout::Grid);
    QCOMPARE(bitmap.layout, Layout::Bitmap);
    QCOMPARE(grid.reading, bitmap.reading);
    draw::Surface fromGrid = output::makeSurface(output::SurfaceId::picSymbol);
    draw::Surface fromBitmap = output::makeSurface(output::SurfaceId::picSymbol);
    drawEncoding(fromGrid, grid);
    drawEncoding(fromBitmap, bitmap);
    QCOMPARE(fromGrid.Image().size(), QSize(bitmap.symbol->bitmap_width, bitmap.symbol->bitmap_height));
    QCOMPARE(fromGrid.Image(), fromBitmap.Image());
    // The same bars, so the same SVG and PDF.
    QCOMPARE(fromGrid.toSvg(), fromBitmap.toSvg());
    QCOMPARE(fromGrid.description(), fromBitmap.description());
}

void TestZint::modulesSetAsAPainterFillsThem_data()
{
    // Export sets a drawing of modules alone straight into its pixels; it
    // must be the picture a painter makes of the same recording.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("pixels");
    QTest::newRow("qr 3") << "qr" << "modules as painted" << 3;
    QTest::newRow("pdf417 2") << "pdf417" << "rows of modules as painted" << 2;
    QTest::newRow("postnet 4") << "postnet" << "12345" << 4;
    QTest::newRow("code16k 5") << "code16k" << "stacked 16K" << 5;
}

void TestZint::modulesSetAsAPainterFillsThem()
{
    QFETCH(QString, name);
    QFETCH(QString, data);
    QFETCH(int, pixels);
    output::SymbolSurfaces surfaces;
    QVERIFY(output::drawSymbol(surfaces, kind(qPrintable(name)), data, {}).ok());
    const draw::Surface& surface = surfaces.picSymbol();
    output::ExportSettings settings = atPixels(pixels);
    settings.foreground = QColor(0x20, 0x40, 0x80);
    const output::Rendered picture = output::render(surface, settings);
    QVERIFY(picture.ok());
    const QSize size(surface.imageWidth() * pixels, surface.pixels().height() * pixels);
    QCOMPARE(picture.image.size(), size);
    QImage painted(size, QImage::Format_RGB32);
    painted.fill(Qt::white);
    {
        QPainter p(&painted);
        p.scale(pixels, pixels);
        surface.replay(p, QRect(QPoint(0, 0), size));
    }
    int inked = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const int ink = 255 - qGray(painted.pixel(x, y));
            QCOMPARE(picture.image.pixelIndex(x, y), ink);
            inked += ink == 255;
        }
    QVERIFY(inked > size.width());
    // The colours are the palette's: ink in the foreground.
    QCOMPARE(picture.image.color(255), settings.foreground.rgb());
}

void TestZint::hexagonsAndCircles()
{
    output::SymbolSurfaces surfaces;
    // MaxiCode: 30 x 33 hexagons' worth of polygons and the bullseye's rings.
    QVERIFY(output::drawSymbol(surfaces, kind("maxicode"), QStringLiteral("Hexagons"), {}).ok());
    const auto maxi = surfaces.picSymbol().recording();
    int polygons = 0;
    int rings = 0;
    for (const draw::Ops::Op& op : maxi->ops.list) {
        if (const auto* p = std::get_if<draw::Ops::Polygon>(&op)) {
            ++polygons;
            QCOMPARE(p->count, 6);
            // Pointed at top and bottom, a module high, sqrt(3)/2 of one wide.
            const auto corners = std::span(maxi->ops.points).subspan(size_t(p->first), 6);
            const auto [left, right] = std::ranges::minmax(corners | std::views::transform(&QPointF::x));
            const auto [top, bottom] = std::ranges::minmax(corners | std::views::transform(&QPointF::y));
            QCOMPARE(bottom - top, 1.0);
            QVERIFY(qAbs(right - left - std::sqrt(3.0) / 2) < 1e-6);
        }
        if (const auto* e = std::get_if<draw::Ops::Ellipse>(&op))
            rings += e->stroke > 0;
    }
    QVERIFY(polygons > 200);
    QCOMPARE(rings, 3);
    const QByteArray maxiSvg = surfaces.picSymbol().toSvg();
    QCOMPARE(maxiSvg.count("<polygon points="), qsizetype(polygons));
    QCOMPARE(maxiSvg.count("fill=\"none\" stroke=\"#000000\""), qsizetype(3));
    // DotCode: dots, filled circles in the SVG and round ink when replayed.
    QVERIFY(output::drawSymbol(surfaces, kind("dotcode"), QStringLiteral("Dots 123"), {}).ok());
    const auto dots = surfaces.picSymbol().recording();
    const auto firstDot = std::find_if(dots->ops.list.begin(), dots->ops.list.end(), [](const draw::Ops::Op& op) {
        return std::holds_alternative<draw::Ops::Ellipse>(op);
    });
    QVERIFY(firstDot != dots->ops.list.end());
    const QByteArray dotSvg = surfaces.picSymbol().toSvg();
    QVERIFY(dotSvg.count("<circle") > 20);
    QCOMPARE(dotSvg.count("<circle"), qsizetype(std::count_if(dots->ops.list.begin(), dots->ops.list.end(),
                                                               [](const draw::Ops::Op& op) {
                                                                   return std::holds_alternative<draw::Ops::Ellipse>(op);
                                                               })));
    QVERIFY(!dotSvg.contains("<rect x=\"3\""));
    const auto& dot = std::get<draw::Ops::Ellipse>(*firstDot);
    const QImage big = output::render(surfaces.picSymbol(), atPixels(8)).image.convertToFormat(QImage::Format_Grayscale8);
    const QPoint centre(int(dot.cx * 8), int(dot.cy * 8));
    QVERIFY(testing::isDark(big.pixel(centre)));
    // Round: the corner of the dot's module square stays paper.
    const QPoint corner(int((dot.cx - 0.5f) * 8), int((dot.cy - 0.5f) * 8));
    QVERIFY(!testing::isDark(big.pixel(corner)));
}

void TestZint::scanCheckReadsLibraryKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("addon");
    QTest::newRow("qr") << "qr" << "scan check" << QString();
    QTest::newRow("maxicode") << "maxicode" << "scan check" << QString();
    QTest::newRow("upce addon") << "upce" << "0123456" << "12345";
    QTest::newRow("gs1-128") << "gs1-128" << "[01]09501101530003[10]AB12[17]261231" << QString();
    QTest::newRow("databar-expanded") << "databar-expanded" << "[01]09501101530003[3103]001750" << QString();
}

void TestZint::scanCheckReadsLibraryKinds()
{
    QFETCH(QString, name);
    QFETCH(QString, data);
    QFETCH(QString, addon);
    const Kind& k = kind(qPrintable(name));
    output::SymbolSurfaces surfaces;
    const output::SymbolResult symbol = output::drawSymbol(surfaces, k, data, {.addon = addon});
    QVERIFY(symbol.ok());
    // As export checks what it writes, and as a batch checks each line.
    const verify::Verdict verdict = verify::checkExport(*symbol.surface, atPixels(2), verify::decoderSymbology(k),
                                                        {.expected = symbol.reading});
    QVERIFY2(verdict.reads(), qPrintable(verdict.details()));
    QCOMPARE(verdict.headline(), "Scans as " + symbol.reading);
    const output::CheckedFile file = output::encodeChecked(symbol, atPixels(2), verify::lineCheck(k), true);
    QVERIFY2(file.file.ok() && file.unread.isEmpty(), qPrintable(file.unread));
    // The window's worker reads the request the same way; a wrong reading is caught.
    verify::Request request;
    request.image = output::render(*symbol.surface, atPixels(2)).image;
    request.library = verify::decoderSymbology(k);
    request.context.expected = symbol.reading + QStringLiteral("0");
    QCOMPARE(verify::check(request).outcome, verify::Verdict::Outcome::Misread);
}

void TestZint::noDecoderIsNotChecked()
{
    const Kind& dotcode = kind("dotcode");
    QVERIFY(!dotcode.decoder);
    output::SymbolSurfaces surfaces;
    const output::SymbolResult symbol = output::drawSymbol(surfaces, dotcode, QStringLiteral("unread"), {});
    QVERIFY(symbol.ok());
    const verify::Verdict verdict = verify::checkExport(*symbol.surface, atPixels(3), verify::decoderSymbology(dotcode),
                                                        {.expected = symbol.reading});
    QCOMPARE(verdict.outcome, verify::Verdict::Outcome::NotChecked);
    QCOMPARE(verdict.headline(), QStringLiteral("Not checked: no decoder reads DotCode"));
    QVERIFY(!verdict.reads());
    QVERIFY(!verdict.checked());
    verify::Request request;
    request.image = output::render(*symbol.surface, atPixels(3)).image;
    request.library = verify::decoderSymbology(dotcode);
    QCOMPARE(verify::check(request).headline(), verdict.headline());
    // A batch writes its files unread rather than refuse or pass them.
    QVERIFY(!verify::lineCheck(dotcode));
    QVERIFY(verify::lineCheck(kind("qr")));
}

QTEST_MAIN(TestZint)
#include "tst_zint.moc"
