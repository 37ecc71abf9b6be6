// EAN-13 family and UPC-A: check digits, module rows against the published
// encoding, drawn columns and printed digits, the UPC-A caption rules.
#include "support/TestSupport.h"

#include "draw/Surface.h"
#include "ean/Ean.h"
#include "ean/PrintedCode.h"
#include "ean/UpcCheck.h"
#include "jobs/Fonts.h"
#include "jobs/Surfaces.h"
#include "modUPC/UPCCode.h"

#include <QTest>

#include <zint.h>

namespace {

draw::Surface makePicEan()
{
    return output::makeSurface(output::SurfaceId::picEan);
}

draw::Surface makePicUpc()
{
    return output::makeSurface(output::SurfaceId::picUPC);
}

// The reference encoder's module row, "1" dark, guards included, no quiet zone.
std::string zintModules(int symbology, const QByteArray& data)
{
    zint_symbol* symbol = ZBarcode_Create();
    symbol->symbology = symbology;
    std::string modules;
    if (ZBarcode_Encode(symbol, reinterpret_cast<const unsigned char*>(data.constData()), int(data.size())) <
        ZINT_ERROR)
        for (int col = 0; col < symbol->width; ++col)
            modules += ((symbol->encoded_data[0][col >> 3] >> (col & 7)) & 1) ? '1' : '0';
    ZBarcode_Delete(symbol);
    // Trailing light modules are quiet zone for the reference encoder.
    while (!modules.empty() && modules.back() == '0')
        modules.pop_back();
    return modules;
}

std::string rowModules(const QImage& image, int firstX, int count, int row)
{
    std::string modules;
    for (int x = firstX; x < firstX + count; ++x)
        modules += testing::isDark(image.pixel(x, row)) ? '1' : '0';
    return modules;
}

struct Upc {
    draw::Surface picUPC = makePicUpc();
    draw::Surface picUPCy = output::makeSurface(output::SurfaceId::picUPCy);
    modUPC::UpcForm form{.picUPC = picUPC, .picUPCy = picUPCy};
    QString captions() const
    {
        QStringList all;
        for (const auto& c : form.L)
            all << c;
        for (const auto& c : form.R)
            all << c;
        return all.join(u',');
    }
};

const std::string kSampleModules =
    "10100011010001011011101101111010101111011110101010100001011101001001110100100010111001000010101";

} // namespace

Q_DECLARE_METATYPE(ean::PrintedForm)

class TestEan : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { output::ensureTahoma(); }
    void eanCheckDigits_data();
    void eanCheckDigits();
    void upcCheckDigits_data();
    void upcCheckDigits();
    void eanModulesMatchPublishedEncoding_data();
    void eanModulesMatchPublishedEncoding();
    void drawEanColumnsAndDigits();
    void drawEanLeavesNoTrace();
    void upcCaptionsAndModules_data();
    void upcCaptionsAndModules();
    void upcDrawing();
    void upcNeedsTheSampleField();
    void upcDecodes();
    void printedCodes_data();
    void printedCodes();
};

void TestEan::eanCheckDigits_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("code");
    QTest::newRow("EAN-13 example") << "123456789012"
                                    << "1234567890128";
    QTest::newRow("twelve zeros") << "000000000000"
                                  << "0000000000000";
    QTest::newRow("ISBN") << "978020137962"
                          << "9780201379624";
    QTest::newRow("EAN-8: 3 x 16 + 12 = 60") << "1234567"
                                             << "12345670";
    QTest::newRow("a letter: no code") << "12345678901X"
                                       << "";
    QTest::newRow("13 digits: no code") << "1234567890123"
                                        << "";
    QTest::newRow("empty") << ""
                           << "";
}

void TestEan::eanCheckDigits()
{
    QFETCH(QString, input);
    QFETCH(QString, code);
    QCOMPARE(ean::completeCode(input).value_or(QString()), code);
}

void TestEan::upcCheckDigits_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("check");
    QTest::newRow("sample: A 25, B 32") << "09736339584" << 3;
    QTest::newRow("eleven zeros") << "00000000000" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("1") << "1" << 7;
    QTest::newRow("a letter counts as 0") << "0973633958X" << 5;
    QTest::newRow("twelve nines sum to 216: 4, not the 6 of 210 - sum") << "999999999999" << 4;
    QTest::newRow("25 characters: the first 21 count") << "0973633958412345678901999" << 8;
    QTest::newRow("first 21 of the above") << "097363395841234567890" << 8;
}

void TestEan::upcCheckDigits()
{
    QFETCH(QString, code);
    QFETCH(int, check);
    QCOMPARE(int(GetUPCCheckNumber(code)), check);
}

void TestEan::eanModulesMatchPublishedEncoding_data()
{
    QTest::addColumn<QString>("code");
    for (const char* c :
         {"1234567890128", "0000000000000", "9780201379624", "4512345678906", "5901234123457"})
        QTest::newRow(c) << c;
    for (int first = 0; first <= 9; ++first) {
        // Every first digit, so every parity row is used once.
        const QString data = QString::number(first) + "12345678901";
        QTest::newRow(qPrintable("parity " + data)) << *ean::completeCode(data);
    }
    QTest::newRow("EAN-8") << "12345670";
}

void TestEan::eanModulesMatchPublishedEncoding()
{
    QFETCH(QString, code);
    const std::string expected = zintModules(BARCODE_EANX, code.left(code.size() - 1).toLatin1());
    QCOMPARE(ean::eanModules(code), expected);
}

void TestEan::drawEanColumnsAndDigits()
{
    draw::Surface picEan = makePicEan();
    ean::DrawEan(picEan, QStringLiteral("1234567890128"));
    const QImage image = picEan.Image();
    // Modules 11 to 105 in a row crossed by every bar and no digit.
    QCOMPARE(rowModules(image, 11, 95, 30), zintModules(BARCODE_EANX, "123456789012"));
    QVERIFY(!testing::anyDark(image, QRect(0, 0, 11, 45)));
    QVERIFY(!testing::anyDark(image, QRect(106, 0, 20, 45)));
    // Guards reach below the data bars, into the digit line: 72 and 66 units.
    // (Digits start below row 52; their ink may touch the guards further down.)
    for (int x : {11, 13, 57, 59, 103, 105}) {
        QCOMPARE(testing::darkRows(image, x).first, 4);
        QVERIFY(testing::isDark(image.pixel(x, 52)) && testing::isDark(image.pixel(x, 55)));
    }
    // Data bars reach 66 units (row 51), where the digits begin.
    QCOMPARE(rowModules(image, 11, 95, 51), rowModules(image, 11, 95, 30));
    // Each digit is printed as a number (blank, digit, blank) at its place: the
    // first in the margin, the others one unit left of their first module. Below
    // the guards (row 56 on) the digit line is exactly those thirteen prints.
    const int places[] = {2, 13, 20, 27, 34, 41, 48, 60, 67, 74, 81, 88, 95};
    draw::Surface digits = makePicEan();
    digits.setFontSize(10);
    for (int i = 0; i < 13; ++i) {
        digits.setCurrentX(places[i]);
        digits.setCurrentY(66);
        digits.Print(QStringLiteral(" %1 ").arg(QStringLiteral("1234567890128").at(i)));
    }
    const QImage expected = digits.Image();
    QVERIFY(testing::anyDark(expected, QRect(0, 56, expected.width(), expected.height() - 56)));
    for (int y = 56; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != expected.pixel(x, y))
                QFAIL(qPrintable(QStringLiteral("digit line differs at (%1, %2)").arg(x).arg(y)));
    QCOMPARE(picEan.BackColor(), draw::kWhite);
}

void TestEan::drawEanLeavesNoTrace()
{
    draw::Surface reused = makePicEan();
    ean::DrawEan(reused, QStringLiteral("1234567890128"));
    ean::DrawEan(reused, QStringLiteral("0000000000000"));
    draw::Surface fresh = makePicEan();
    ean::DrawEan(fresh, QStringLiteral("0000000000000"));
    QCOMPARE(reused.Image(), fresh.Image());
}

void TestEan::upcCaptionsAndModules_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("captions");
    QTest::addColumn<QString>("modules");
    QTest::newRow("sample") << "097363395843"
                            << "0,9,7,3,6,3,3,9,5,8,4,3" << QString::fromStdString(kSampleModules);
    QTest::newRow("17 digits: the first 12")
        << "09736339584312345"
        << "0,9,7,3,6,3,3,9,5,8,4,3" << QString::fromStdString(kSampleModules);
    QString shortModules = "101";
    for (const char* d : {"0011001", "0010011", "0111101", "0100011", "0110001", "0110001"})
        shortModules += d;
    shortModules += "01010";
    for (int i = 0; i < 6; ++i)
        shortModules += "1001110";
    shortModules += "101";
    QTest::newRow("five characters repeat the last") << "12345"
                                                     << "1,2,3,4,5,5,5,5,5,5,5,5" << shortModules;
    QString emptyModules = "101";
    for (int i = 0; i < 6; ++i)
        emptyModules += "0001101";
    emptyModules += "01010";
    for (int i = 0; i < 6; ++i)
        emptyModules += "1110010";
    emptyModules += "101";
    QTest::newRow("empty text: digit 0 everywhere") << ""
                                                    << ",,,,,,,,,,," << emptyModules;
    QString lastLetter = QString::fromStdString(kSampleModules);
    lastLetter.replace(85, 7, "1011100");
    QTest::newRow("letter last takes the previous digit") << "09736339584X"
                                                          << "0,9,7,3,6,3,3,9,5,8,4,X" << lastLetter;
    QString firstLetter = QString::fromStdString(kSampleModules);
    firstLetter.replace(3, 7, "0001101");
    QTest::newRow("letter first takes digit 0") << "X97363395843"
                                                << "X,9,7,3,6,3,3,9,5,8,4,3" << firstLetter;
}

void TestEan::upcCaptionsAndModules()
{
    QFETCH(QString, text);
    QFETCH(QString, captions);
    QFETCH(QString, modules);
    Upc upc;
    const std::optional<QString> error = modUPC::UPCCode(text, upc.form);
    QCOMPARE(upc.captions(), captions);
    QCOMPARE(QString::fromStdString(rowModules(upc.picUPC.Image(), 20, 95, 20)), modules);
    QVERIFY(!error);
}

void TestEan::upcDrawing()
{
    Upc upc;
    modUPC::UPCCode(QStringLiteral("12345678901"), upc.form); // something to replace
    modUPC::UPCCode(QStringLiteral("097363395843"), upc.form);
    const QImage image = upc.picUPC.Image();
    const std::vector<int> black{20, 22, 26, 27, 29, 33, 35, 36, 38, 39,  40,  42,  43,  45,  46,  47, 48,
                                 50, 52, 54, 55, 56, 57, 59, 60, 61, 62,  64,  66,  68,  70,  75,  77, 78,
                                 79, 81, 84, 87, 88, 89, 91, 94, 98, 100, 101, 102, 105, 110, 112, 114};
    std::vector<int> bars;
    for (int x : testing::darkColumns(image, 20))
        if (x >= 20 && x <= 114)
            bars.push_back(x);
    QCOMPARE(bars, black);
    // Lines run from 6 units (7 px); long ones to 50 (55 px), short ones to 42 (46 px).
    for (int x : {20, 22, 26, 29, 66, 68, 105, 110, 112, 114})
        QCOMPARE(testing::darkRows(image, x).first, 7);
    for (int x : {20, 22, 112, 114})
        QCOMPARE(testing::darkRows(image, x).second, 55);
    for (int x : {33, 75, 94})
        QVERIFY(testing::isDark(image.pixel(x, 46)));
    // Every dark module ends where its bar does: the guards and the modules of
    // the number-system and check digits at 50 units (row 55), the others at
    // 42 (row 46). Below its end a column shows only what the twelve digits
    // printed alone at their places show there.
    draw::Surface digits = makePicUpc();
    const int textX[] = {10, 32, 38, 44, 50, 56, 71, 78, 84, 90, 96, 118};
    for (int i = 0; i < 12; ++i) {
        digits.setCurrentX(textX[i]);
        digits.setCurrentY(42);
        digits.Print(QStringLiteral("097363395843").mid(i, 1));
    }
    const QImage printed = digits.Image();
    for (int x : black) {
        const bool isLong = x <= 29 || (x >= 65 && x <= 69) || x >= 105;
        const int bottom = isLong ? 55 : 46;
        QCOMPARE(testing::darkRows(image, x).first, 7);
        for (int y = 7; y <= bottom; ++y)
            QVERIFY2(testing::isDark(image.pixel(x, y)), qPrintable(QStringLiteral("bar at %1").arg(x)));
        for (int y = bottom + 1; y <= 57; ++y)
            QVERIFY2(image.pixel(x, y) == printed.pixel(x, y),
                     qPrintable(QStringLiteral("bar at %1 reaches row %2").arg(x).arg(y)));
    }
    // The number-system digit left of the guard, the check digit right of it.
    QVERIFY(testing::anyDark(image, QRect(10, 47, 9, 14)));
    QVERIFY(testing::anyDark(image, QRect(118, 47, 10, 14)));
    // The symbol is the background now: a Cls keeps it.
    upc.picUPC.Cls();
    QCOMPARE(upc.picUPC.Image(), image);
}

void TestEan::upcNeedsTheSampleField()
{
    Upc upc;
    modUPC::UPCCode(QStringLiteral("097363395843"), upc.form);
    const QImage before = upc.picUPC.Image();
    upc.form.txtUPC.clear();
    const std::optional<QString> error = modUPC::UPCCode(QStringLiteral("12345678901"), upc.form);
    QVERIFY(error);
    QCOMPARE(*error, QStringLiteral("You must enter a minimum 12 digit number to complete the  \r\n"
                                    "barcode example properly. Any length over 12 digits will  \r\n"
                                    "be ignored."));
    QCOMPARE(upc.form.txtUPC, QStringLiteral("097363395843"));
    QCOMPARE(upc.captions(), QStringLiteral(",,,,,,,,,,,"));
    QCOMPARE(upc.picUPC.Image(), before); // the previous symbol stays on view
}

void TestEan::upcDecodes()
{
    for (const char* data : {"09736339584", "03600029145", "00000000000", "99999999999"}) {
        Upc upc;
        const QString text = QString::fromLatin1(data);
        const QString full = withUPCCheckDigit(text);
        modUPC::UPCCode(full, upc.form);
        QCOMPARE(QString::fromStdString(testing::decode(upc.picUPC.Image(), ZXing::BarcodeFormat::UPCA)),
                 full);
    }
}

QTEST_MAIN(TestEan)
#include "tst_ean.moc"

void TestEan::printedCodes_data()
{
    using ean::PrintedForm;
    QTest::addColumn<PrintedForm>("form");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("error");
    const auto ok = [](const char* name, PrintedForm form, const char* data, const char* code) {
        QTest::newRow(name) << form << QString::fromLatin1(data) << QString::fromLatin1(code) << QString();
    };
    const auto no = [](const char* name, PrintedForm form, const char* data, const char* error) {
        QTest::newRow(name) << form << QString::fromLatin1(data) << QString() << QString::fromLatin1(error);
    };
    ok("EAN-13 without its check", PrintedForm::Ean13, "400638133393", "4006381333931");
    ok("EAN-13 as printed", PrintedForm::Ean13, "4006381333931", "4006381333931");
    ok("EAN-13 spaced as printed", PrintedForm::Ean13, "4 006381 333931", "4006381333931");
    no("EAN-13 wrong check", PrintedForm::Ean13, "4006381333935", "The check digit is 1, not 5");
    no("EAN-13 one short", PrintedForm::Ean13, "40063813339",
       "Enter 12 digit number for EAN-13, or 13 with the check digit: 11 given");
    no("EAN-13 fourteen", PrintedForm::Ean13, "40063813339311",
       "Enter 12 digit number for EAN-13, or 13 with the check digit: 14 given");
    no("EAN-13 letter, where", PrintedForm::Ean13, "40063813A393",
       "EAN-13 takes digits only: 'A' at position 9 is not one");
    no("EAN-13 leading space", PrintedForm::Ean13, " 400638133393",
       "EAN-13 takes digits only: ' ' at position 1 is not one");
    no("EAN-13 trailing hyphen", PrintedForm::Ean13, "400638133393-",
       "EAN-13 takes digits only: '-' at position 13 is not one");
    no("EAN-13 empty", PrintedForm::Ean13, "",
       "Enter 12 digit number for EAN-13, or 13 with the check digit: 0 given");
    ok("JAN-13 as printed", PrintedForm::Jan13, "4912345678904", "4912345678904");
    no("JAN-13 prefix", PrintedForm::Jan13, "4612345678904",
       "JAN-13 starts with 45 or 49: this starts with 46");
    ok("ISBN-13 hyphenated", PrintedForm::Isbn, "978-0-306-40615-7", "9780306406157");
    ok("ISBN-10 hyphenated", PrintedForm::Isbn, "0-306-40615-2", "9780306406157");
    ok("ISBN-10 ending in X", PrintedForm::Isbn, "0-8044-2957-X", "9780804429573");
    ok("ISBN-10 ending in x", PrintedForm::Isbn, "080442957x", "9780804429573");
    ok("ISBN-13 without check", PrintedForm::Isbn, "978030640615", "9780306406157");
    no("ISBN-10 wrong check", PrintedForm::Isbn, "0-306-40615-3", "The ISBN-10 check digit is 2, not 3");
    no("ISBN-10 X where 5 belongs", PrintedForm::Isbn, "030640615X", "The ISBN-10 check digit is 2, not X");
    no("ISBN-13 wrong check", PrintedForm::Isbn, "978-0-306-40615-5", "The check digit is 7, not 5");
    no("ISBN X not last", PrintedForm::Isbn, "03064061X2",
       "ISBN takes digits only: 'X' at position 9 is not one");
    no("ISBN X too early", PrintedForm::Isbn, "0306406X",
       "ISBN takes digits only: 'X' at position 8 is not one");
    no("ISBN prefix", PrintedForm::Isbn, "9770306406157",
       "ISBN starts with 978 or 979: this starts with 977");
    no("X is for ISBN only", PrintedForm::Ean13, "030640615X",
       "EAN-13 takes digits only: 'X' at position 10 is not one");
    ok("UPC-A without its check", PrintedForm::UpcA, "03600029145", "036000291452");
    ok("UPC-A as printed", PrintedForm::UpcA, "036000291452", "036000291452");
    no("UPC-A wrong check", PrintedForm::UpcA, "036000291450", "The check digit is 2, not 0");
    ok("EAN-8 without its check", PrintedForm::Ean8, "9638507", "96385074");
    ok("EAN-8 as printed", PrintedForm::Ean8, "9638-5074", "96385074");
    no("EAN-8 wrong check", PrintedForm::Ean8, "96385070", "The check digit is 4, not 0");
    no("EAN-8 thirteen", PrintedForm::Ean8, "4006381333931",
       "Enter 7 digit number for EAN-8, or 8 with the check digit: 13 given");
    // UPC-E's check digit is the one of the UPC-A number it stands for: each
    // way of putting the zeros back is a row.
    ok("UPC-E six digits, ends 5-9", PrintedForm::UpcE, "123456", "01234565");
    ok("UPC-E with number system", PrintedForm::UpcE, "0123456", "01234565");
    ok("UPC-E ends 0-2", PrintedForm::UpcE, "04252614", "04252614");
    ok("UPC-E ends 3", PrintedForm::UpcE, "0123453", "01234531");
    ok("UPC-E ends 4", PrintedForm::UpcE, "0123444", "01234446");
    no("UPC-E wrong check", PrintedForm::UpcE, "01234567", "The check digit is 5, not 7");
    no("UPC-E number system 2", PrintedForm::UpcE, "2123456", "UPC-E starts with 0 or 1: this starts with 2");
}

void TestEan::printedCodes()
{
    QFETCH(ean::PrintedForm, form);
    QFETCH(QString, data);
    QFETCH(QString, code);
    QFETCH(QString, error);
    const ean::PrintedCode printed = ean::printedCode(form, data);
    QCOMPARE(printed.error, error);
    QCOMPARE(printed.code, code);
    QCOMPARE(printed.ok(), error.isEmpty());
}
