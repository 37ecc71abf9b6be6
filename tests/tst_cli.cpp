// Symbols drawn without the window, and the program run as a command: one
// symbol, batches, the files they leave and the messages they give.
#include "support/TestSupport.h"

#include "cli/CommandLine.h"
#include "cli/Options.h"
#include "jobs/BatchRunner.h"
#include "jobs/SymbolJob.h"
#include "zint/Symbols.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>


#include <csignal>
#include <unistd.h>

#ifndef PROGRAM_PATH
#error "PROGRAM_PATH names the built program"
#endif

using output::Symbology;
using testing::readAll;
using testing::select;
using testing::Window;
using testing::writeFile;

namespace {

struct Kind {
    Symbology symbology;
    const char* title;
    const char* name;
    ZXing::BarcodeFormat format;
};

const Kind kKinds[] = {
    {Symbology::Code39, "Code 39", "code39", ZXing::BarcodeFormat::Code39},
    {Symbology::Interleaved2of5, "Interleaved 2 of 5", "itf", ZXing::BarcodeFormat::ITF},
    {Symbology::Code128, "Code 128", "code128", ZXing::BarcodeFormat::Code128},
    {Symbology::Codabar, "Codabar", "codabar", ZXing::BarcodeFormat::Codabar},
    {Symbology::Ean13, "EAN-13", "ean13", ZXing::BarcodeFormat::EAN13},
    {Symbology::Jan13, "JAN-13", "jan13", ZXing::BarcodeFormat::EAN13},
    {Symbology::Isbn, "ISBN", "isbn", ZXing::BarcodeFormat::EAN13},
    {Symbology::UpcA, "UPC-A", "upca", ZXing::BarcodeFormat::UPCA},
};

const Kind& kind(const QString& name)
{
    for (const Kind& k : kKinds)
        if (name == QLatin1String(k.name))
            return k;
    qFatal("no symbology %s", qPrintable(name));
}

// What the window shows for the data: the picture it would export, or its message.
struct Shown {
    QImage image;
    QString message;
};

Shown showInWindow(const Kind& k, const QString& data, const linear::Options& o, const QString& font)
{
    Window w;
    select(w.w.get(), QString::fromLatin1(k.title));
    if (k.symbology <= Symbology::Codabar) {
        w->Check1[0]->setChecked(o.optimize != 0);
        w->Check1[1]->setChecked(o.label != 0);
        if (w->Check1[2]->isEnabled())
            w->Check1[2]->setChecked(o.check != 0);
    }
    if (!font.isEmpty()) {
        const auto items = w->List1->findItems(font, Qt::MatchExactly);
        if (items.isEmpty())
            return {};
        w->List1->setCurrentItem(items.front());
        w->List1_Click();
    }
    w->Text1->setText(data);
    if (k.symbology == Symbology::UpcA)
        return w->picUPC().Visible() ? Shown{w->picUPC().Image(), {}} : Shown{{}, w->Label5->text()};
    if (k.symbology >= Symbology::Ean13)
        return w->picEan().Visible() ? Shown{w->picEan().Image(), {}} : Shown{{}, w->Label9->text()};
    const QString description = w->Picture1().description();
    return description.endsWith(QLatin1String("Invalid")) || description.startsWith(QLatin1String("Invalid"))
               ? Shown{{}, description}
               : Shown{w->Picture1().Image(), {}};
}

struct Run {
    int status = -1;
    QByteArray out;
    QString err;
};

// The program as a user's shell runs it, with no display of any kind.
Run runProgram(const QStringList& arguments, const QString& folder = QString(), const QByteArray& input = {})
{
    QProcess process;
    QProcessEnvironment env = testing::withoutDisplay();
    process.setProcessEnvironment(env);
    if (!folder.isEmpty())
        process.setWorkingDirectory(folder);
    process.start(QStringLiteral(PROGRAM_PATH), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

// A vector file drawn again at one pixel per module of `moduleMm`, as the
// window shows it; decode() then enlarges it as a scanner would.
QImage rasterise(const QString& path, double moduleMm = 25.4 / 96)
{
    if (path.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer svg(path);
        // The view box is in millimetres.
        QImage image((svg.viewBoxF().size() / moduleMm).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        svg.render(&painter);
        return image;
    }
    if (path.endsWith(QLatin1String(".pdf"))) {
        const QString stem = path + QStringLiteral("-page");
        QProcess::execute(QStringLiteral("pdftoppm"),
                          {QStringLiteral("-r"), QString::number(25.4 / moduleMm), QStringLiteral("-png"),
                           QStringLiteral("-singlefile"), path, stem});
        return QImage(stem + QStringLiteral(".png"));
    }
    return QImage(path);
}

// What ZXing-cpp reads from a picture, as a scanner set for the format returns
// it: EAN/UPC add-ons with the symbol, a MaxiCode as the one thing there.
QString scan(const QImage& picture, ZXing::BarcodeFormat format)
{
    const ZXing::Result r = testing::scanFramed(
        picture, format, {.addOns = true, .pure = format == ZXing::BarcodeFormat::MaxiCode});
    if (!r.isValid())
        return QStringLiteral("<no symbol>");
    // GS1 data is told from the same text as plain data by the symbology
    // identifier a scanner sends before it: ]C1, ]d2, ]Q3, ]e0.
    const std::string id = r.symbologyIdentifier();
    const bool gs1 = id == "]C1" || id == "]d2" || id == "]Q3" || id == "]e0";
    return QString::fromStdString(gs1 ? id + r.text() : r.text());
}

// The dark pixels' bounding box: a matrix symbol's own size, whatever its quiet zone.
QRect darkBounds(const QImage& image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (testing::isDark(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

QStringList filesIn(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    return names;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
  private slots:
    void jobDrawsWhatTheWindowShows_data();
    void jobDrawsWhatTheWindowShows();
    void jobGivesTheWindowsMessage_data();
    void jobGivesTheWindowsMessage();
    void greyedBoxesAreFixed();
    void batchPathNamesEachLine_data();
    void batchPathNamesEachLine();
    void progressLine_data();
    void progressLine();

    void eachSymbologyToEachFormatDecodes_data();
    void eachSymbologyToEachFormatDecodes();
    void extensionsAreThoseTheHelpNames();
    void tiffHoldsThePngsPixelsAndSize_data();
    void tiffHoldsThePngsPixelsAndSize();
    void standardOutputCarriesPng();
    void coloursReachThePixels();
    void refusals_data();
    void refusals();
    void moduleRoundingIsSaid_data();
    void moduleRoundingIsSaid();
    void standardStreamsThatFail_data();
    void standardStreamsThatFail();
    void controlsInEchoedTextAreEscaped_data();
    void controlsInEchoedTextAreEscaped();
    void helpAndVersion();
    void existingFileNeedsForce();
    void batchWritesTheValidLinesAndReportsTheOthers();
    void batchFromStandardInput();
    void invalidUtf8IsRefused_data();
    void invalidUtf8IsRefused();
    void batchIsTheSameForAnyNumberOfWorkers();
    void batchExistingFilesFailWithoutForce();
    void batchReportsAFolderItCannotMake();
    void cancelledBatchLeavesOnlyWholeFiles();
    void verifyTurnsAnUnreadSymbolIntoAFailure_data();
    void verifyTurnsAnUnreadSymbolIntoAFailure();
    void batchReadsBackEveryLine_data();
    void batchReadsBackEveryLine();
    void vectorFilesTakeTheColours_data();
    void vectorFilesTakeTheColours();

    void commandPrintsOnlyItsOwnMessages_data();
    void commandPrintsOnlyItsOwnMessages();
    void commandLoadsNothingOfTheWindow_data();
    void commandLoadsNothingOfTheWindow();
    void noArgumentsLoadTheWindow();
    void batchRefusesALineLongerThanTheWindowTakes_data();
    void batchRefusesALineLongerThanTheWindowTakes();
    void batchNeverReplacesItsOwnFiles_data();
    void batchNeverReplacesItsOwnFiles();
    void batchWritesEachLineAsItArrives();
    void librarySymbologiesToEachFormatDecode_data();
    void librarySymbologiesToEachFormatDecode();
    void eccAndSymbolSizeShapeTheSymbol();
    void numbersAsPrintedDrawTheSameSymbol_data();
    void numbersAsPrintedDrawTheSameSymbol();
    void standardProportionsAreAskedFor();
    void badDataForEachFamily_data();
    void badDataForEachFamily();
    void optionsRefusedWhereTheyDoNotApply_data();
    void optionsRefusedWhereTheyDoNotApply();
    void listTypesNamesEverySymbologyOnce();
    void batchOfALibrarySymbology();
    void symbologyNoDecoderReads_data();
    void symbologyNoDecoderReads();
    void noLabelLeavesOutALibrarySymbolsText();
    void sheetTakesALibrarySymbology();
    void signalLeavesOnlyWholeFiles_data();
    void signalLeavesOnlyWholeFiles();
    void sheetFromCsvPrintsTheGoodLinesAndReportsTheBad();
    void sheetCsvColumnBeyondTheFile_data();
    void sheetCsvColumnBeyondTheFile();
    void sheetNamesTheLabelThatDoesNotRead_data();
    void sheetNamesTheLabelThatDoesNotRead();
    void listSheets_data();
    void listSheets();
};

void TestCli::jobDrawsWhatTheWindowShows_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("optimize");
    QTest::addColumn<int>("label");
    QTest::addColumn<int>("check");
    QTest::addColumn<QString>("font");
    QTest::newRow("Code 39") << "code39"
                             << "CODE-39 $" << 1 << 1 << 0 << "";
    QTest::newRow("Code 39 lower case, check, narrow") << "code39"
                                                       << "abc12" << 0 << 1 << 1 << "";
    QTest::newRow("Code 39 without label") << "code39"
                                           << "NOLABEL" << 1 << 0 << 0 << "";
    QTest::newRow("Interleaved 2 of 5 with check") << "itf"
                                                   << "1234567" << 1 << 1 << 1 << "";
    QTest::newRow("Interleaved 2 of 5 narrow") << "itf"
                                               << "00998877" << 0 << 0 << 0 << "";
    QTest::newRow("Code 128") << "code128"
                              << "Hello, World! ~{}" << 1 << 1 << 0 << "";
    QTest::newRow("Code 128 narrow, unlabelled") << "code128"
                                                 << "x" << 0 << 0 << 0 << "";
    QTest::newRow("Codabar") << "codabar"
                             << "0123456789-$:/.+" << 1 << 1 << 0 << "";
    QTest::newRow("EAN-13") << "ean13"
                            << "123456789012" << 1 << 1 << 0 << "";
    QTest::newRow("JAN-13") << "jan13"
                            << "490123456789" << 1 << 1 << 0 << "";
    QTest::newRow("ISBN") << "isbn"
                          << "978020137962" << 1 << 1 << 0 << "";
    QTest::newRow("UPC-A") << "upca"
                           << "09736339584" << 1 << 1 << 0 << "";
    QTest::newRow("Code 128 in another font") << "code128"
                                              << "Serif 42" << 1 << 1 << 0 << "DejaVu Serif";
    QTest::newRow("EAN-13 in another font") << "ean13"
                                            << "000000000000" << 1 << 1 << 0 << "DejaVu Serif";
    QTest::newRow("UPC-A in another font") << "upca"
                                           << "01234567890" << 1 << 1 << 0 << "DejaVu Serif";
}

void TestCli::jobDrawsWhatTheWindowShows()
{
    QFETCH(QString, type);
    QFETCH(QString, data);
    QFETCH(int, optimize);
    QFETCH(int, label);
    QFETCH(int, check);
    QFETCH(QString, font);
    const linear::Options o{optimize, label, check};
    const Shown window = showInWindow(kind(type), data, o, font);
    QVERIFY2(!window.image.isNull(), qPrintable(window.message + font));
    // A used set of surfaces, as a batch worker has after its first line.
    output::SymbolSurfaces surfaces(font);
    QVERIFY(
        output::drawSymbol(surfaces, Symbology::Code39, QStringLiteral("WIDER THAN THE NEXT ONE"), {}).ok());
    QVERIFY(output::drawSymbol(surfaces, Symbology::UpcA, QStringLiteral("12345678901"), {}).ok());
    const output::SymbolResult job = output::drawSymbol(surfaces, kind(type).symbology, data, o);
    QVERIFY2(job.ok(), qPrintable(job.message));
    QVERIFY(testing::samePixels(job.surface->Image(), window.image));
}

void TestCli::jobGivesTheWindowsMessage_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("message");
    QTest::newRow("Code 39") << "code39"
                             << "AB#C"
                             << "# is Invalid";
    QTest::newRow("Interleaved 2 of 5") << "itf"
                                        << "12a4"
                                        << "a is Invalid";
    QTest::newRow("Code 128") << "code128" << QString::fromUtf8("caf\xC3\xA9") << "Invalid Character(s)";
    QTest::newRow("Codabar") << "codabar"
                             << "1A"
                             << "A is Invalid";
    QTest::newRow("EAN-13 short") << "ean13"
                                  << "12345678901"
                                  << "Enter 12 digit number for EAN-13";
    QTest::newRow("EAN-13 letter") << "ean13"
                                   << "12345678901X"
                                   << "Enter 12 digit number for EAN-13";
    QTest::newRow("JAN-13 prefix") << "jan13"
                                   << "461234567890"
                                   << "Enter 12 digit number starting with '45' or '49' for JAN-13";
    QTest::newRow("ISBN prefix") << "isbn"
                                 << "977123456789"
                                 << "Enter 12 digit number starting with '978' or '979' for ISBN";
    QTest::newRow("UPC-A short") << "upca"
                                 << "1234567890"
                                 << "Enter 11 digit number for UPC-A";
    QTest::newRow("UPC-A eleven with a letter") << "upca"
                                                << "1234567890A"
                                                << "Enter 11 digit number for UPC-A";
}

void TestCli::jobGivesTheWindowsMessage()
{
    QFETCH(QString, type);
    QFETCH(QString, data);
    QFETCH(QString, message);
    output::SymbolSurfaces surfaces;
    const output::SymbolResult job = output::drawSymbol(surfaces, kind(type).symbology, data, {});
    QVERIFY(!job.ok());
    QCOMPARE(job.message, message);
    QCOMPARE(showInWindow(kind(type), data, {}, {}).message, message);
}

void TestCli::greyedBoxesAreFixed()
{
    // Code 128 carries its check character and Codabar none, whatever is asked;
    // the EAN family and UPC-A have all three boxes checked.
    const auto code128 = output::settleOptions(Symbology::Code128, {1, 1, 0});
    QCOMPARE(code128.options.check, 1);
    const auto codabar = output::settleOptions(Symbology::Codabar, {0, 0, 1});
    QCOMPARE(codabar.options.check, 0);
    QCOMPARE(codabar.options.optimize, 0);
    QCOMPARE(codabar.overruled, std::vector<int>{2});
    const auto ean = output::settleOptions(Symbology::Isbn, {0, 0, 0});
    QCOMPARE(ean.options.optimize + ean.options.label + ean.options.check, 3);
    QCOMPARE(ean.overruled, (std::vector<int>{0, 1, 2}));
    QVERIFY(output::settleOptions(Symbology::Code39, {0, 0, 1}).overruled.empty());

    // Drawn: Code 128 asked without a check character equals it asked with one.
    output::SymbolSurfaces a;
    output::SymbolSurfaces b;
    const QImage without =
        output::drawSymbol(a, Symbology::Code128, QStringLiteral("AB"), {1, 1, 0}).surface->Image();
    QVERIFY(testing::samePixels(
        without,
        output::drawSymbol(b, Symbology::Code128, QStringLiteral("AB"), {1, 1, 1}).surface->Image()));
}

void TestCli::batchPathNamesEachLine_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<qint64>("line");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("path");
    QTest::newRow("padded") << "labels/{n}.png" << qint64(7) << 3 << "x"
                            << "labels/007.png";
    QTest::newRow("wider than the width") << "{n}.png" << qint64(1234) << 2 << "x"
                                          << "1234.png";
    QTest::newRow("no padding") << "{n}.png" << qint64(7) << 0 << "x"
                                << "7.png";
    QTest::newRow("data as File Save names it") << "out/{data}-{n}.svg" << qint64(2) << 1 << "a/b:c*?"
                                                << "out/a_b_c__-2.svg";
    QTest::newRow("dots cannot climb") << "out/{data}/x.png" << qint64(1) << 1 << ".."
                                       << "out/__/x.png";
    QTest::newRow("a dot in a name stays") << "{data}.png" << qint64(1) << 1 << "A.B"
                                           << "A.B.png";
}

void TestCli::batchPathNamesEachLine()
{
    QFETCH(QString, pattern);
    QFETCH(qint64, line);
    QFETCH(int, width);
    QFETCH(QString, data);
    QFETCH(QString, path);
    QCOMPARE(output::batchPath(pattern, line, width, data), path);
}

void TestCli::progressLine_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<qint64>("failed");
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("line");
    QTest::newRow("a third") << qint64(1000) << qint64(3000) << qint64(0) << 2.0
                             << "1000/3000 lines, 500/s, 0:04 left";
    QTest::newRow("minutes left") << qint64(10) << qint64(100010) << qint64(2) << 1.0
                                  << "10/100010 lines, 10/s, 166:40 left, 2 failed";
    QTest::newRow("done") << qint64(50) << qint64(50) << qint64(0) << 0.5 << "50/50 lines, 100/s, 0:00 left";
    QTest::newRow("total unknown") << qint64(42) << qint64(-1) << qint64(0) << 2.0 << "42 lines, 21/s";
    QTest::newRow("at the start") << qint64(0) << qint64(10) << qint64(0) << 0.0 << "0/10 lines, 0/s";
}

void TestCli::progressLine()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(qint64, failed);
    QFETCH(double, seconds);
    QFETCH(QString, line);
    QCOMPARE(cli::progressLine({done, total, failed, seconds}), line);
}

void TestCli::eachSymbologyToEachFormatDecodes_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("extra");
    struct Case {
        const char* type;
        const char* data;
        const char* decoded;
    };
    const Case cases[] = {
        {"code39", "CLI-39", "CLI-39"},
        {"itf", "123456", "123456"},
        {"code128", "Cli 128!", "Cli 128!"},
        {"codabar", "40156", "40156"},
        {"ean13", "123456789012", "1234567890128"},
        {"jan13", "451234567890", "4512345678906"},
        {"isbn", "978020137962", "9780201379624"},
        {"upca", "09736339584", "097363395843"},
    };
    const std::pair<const char*, QStringList> files[] = {
        {"png", {}},
        {"bmp", {}},
        {"svg",
         {QStringLiteral("--module-mm"), QStringLiteral("0.5"), QStringLiteral("--dpi"),
          QStringLiteral("203")}},
        {"pdf",
         {QStringLiteral("--module-mm"), QStringLiteral("0.33"), QStringLiteral("--dpi"),
          QStringLiteral("300")}},
    };
    for (const Case& c : cases)
        for (const auto& [extension, extra] : files)
            QTest::addRow("%s to %s", c.type, extension)
                << c.type << c.data << c.decoded << QStringLiteral("out.%1").arg(QLatin1String(extension))
                << extra;
}

void TestCli::eachSymbologyToEachFormatDecodes()
{
    QFETCH(QString, type);
    QFETCH(QString, data);
    QFETCH(QString, decoded);
    QFETCH(QString, file);
    QFETCH(QStringList, extra);
    QTemporaryDir dir;
    const Run run = runProgram(
        QStringList{QStringLiteral("-t"), type, QStringLiteral("-d"), data, QStringLiteral("-o"), file} +
            extra,
        dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()), QStringList{file});
    const qsizetype module = extra.indexOf(QStringLiteral("--module-mm"));
    const QImage image = module >= 0 ? rasterise(dir.filePath(file), extra.at(module + 1).toDouble())
                                     : rasterise(dir.filePath(file));
    QVERIFY(!image.isNull());
    QCOMPARE(QString::fromStdString(testing::decode(image, kind(type).format)), decoded);
}

// The extensions --help names for --output, those a wrong one's refusal
// lists, and those written are one list: .tif was written but named nowhere.
void TestCli::extensionsAreThoseTheHelpNames()
{
    const Run help = runProgram({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    static const QRegularExpression listed(QStringLiteral("The file to write; ([a-z, ]+) by its extension"));
    const QRegularExpressionMatch inHelp = listed.match(QString::fromUtf8(help.out).simplified());
    QVERIFY2(inHelp.hasMatch(), help.out.constData());
    QStringList named = inHelp.captured(1).replace(QLatin1String(" or "), QLatin1String(", ")).split(QLatin1String(", "));
    QTemporaryDir dir;
    const Run refused = runProgram(QString::fromLatin1("-d 1 -o x.gif").split(u' '), dir.path());
    QCOMPARE(refused.status, 2);
    static const QRegularExpression oneOf(QStringLiteral("the extension must be one of ([a-z, ]+)"));
    const QRegularExpressionMatch inRefusal = oneOf.match(refused.err);
    QVERIFY2(inRefusal.hasMatch(), qPrintable(refused.err));
    QStringList offered = inRefusal.captured(1).split(QLatin1String(", "));
    named.sort();
    offered.sort();
    QCOMPARE(offered, named);
    QVERIFY(named.contains(QLatin1String("tif")) && named.contains(QLatin1String("tiff")));
    for (const QString& extension : named) {
        const Run written = runProgram(QString::fromLatin1("-d 1 -o x.%1").arg(extension).split(u' '), dir.path());
        QVERIFY2(written.status == 0, qPrintable(extension + u' ' + written.err));
        QVERIFY2(QFileInfo(dir.filePath(QStringLiteral("x.") + extension)).size() > 0, qPrintable(extension));
    }
}

void TestCli::tiffHoldsThePngsPixelsAndSize_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("tiff") << QStringLiteral("out.tiff");
    QTest::newRow("tif") << QStringLiteral("out.tif");
}

// The help promises TIFF: it must be written, not refused, and hold exactly the
// pixels the same PNG holds, at its size and resolution.
void TestCli::tiffHoldsThePngsPixelsAndSize()
{
    QFETCH(QString, file);
    QTemporaryDir dir;
    const QStringList symbol =
        QString::fromLatin1("-t code128 -d TIFF-0.33 --module-mm 0.33 --dpi 300 -o").split(QLatin1Char(' '));
    Run run = runProgram(symbol + QStringList{file}, dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    run = runProgram(symbol + QStringList{QStringLiteral("same.png")}, dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QImageReader reader(dir.filePath(file));
    QCOMPARE(reader.format(), QByteArray("tiff"));
    const QImage tiff = reader.read();
    const QImage png(dir.filePath(QStringLiteral("same.png")));
    // 0.33 mm at 300 dpi is four dots a module.
    output::SymbolSurfaces surfaces;
    const QImage window =
        output::drawSymbol(surfaces, Symbology::Code128, QStringLiteral("TIFF-0.33"), {}).surface->Image();
    QCOMPARE(tiff.size(), window.size() * 4);
    QCOMPARE(qRound(tiff.dotsPerMeterX() * 0.0254), 300);
    QCOMPARE(qRound(tiff.dotsPerMeterY() * 0.0254), 300);
    QVERIFY(testing::samePixels(tiff, png));
    QCOMPARE(QString::fromStdString(testing::decode(tiff, ZXing::BarcodeFormat::Code128)),
             QStringLiteral("TIFF-0.33"));
}

void TestCli::standardOutputCarriesPng()
{
    QTemporaryDir dir;
    const Run run = runProgram({QStringLiteral("-t"), QStringLiteral("code128"), QStringLiteral("-d"),
                                QStringLiteral("piped"), QStringLiteral("-o"), QStringLiteral("-")},
                               dir.path());
    QCOMPARE(run.status, 0);
    QVERIFY(filesIn(dir.path()).isEmpty());
    const QImage image = QImage::fromData(run.out, "PNG");
    QCOMPARE(QString::fromStdString(testing::decode(image, ZXing::BarcodeFormat::Code128)),
             QStringLiteral("piped"));
    // One pixel per module at 96 dpi by default: the picture File Save writes.
    output::SymbolSurfaces surfaces;
    QVERIFY(testing::samePixels(
        image,
        output::drawSymbol(surfaces, Symbology::Code128, QStringLiteral("piped"), {}).surface->Image()));
}

void TestCli::coloursReachThePixels()
{
    QTemporaryDir dir;
    const QStringList symbol{
        QStringLiteral("-t"),  QStringLiteral("code39"),     QStringLiteral("-d"),
        QStringLiteral("RGB"), QStringLiteral("--no-label"), QStringLiteral("--module-mm"),
        QStringLiteral("0.5"), QStringLiteral("--dpi"),      QStringLiteral("203")};
    Run run = runProgram(symbol + QStringList{QStringLiteral("--fg"), QStringLiteral("darkblue"),
                                              QStringLiteral("--bg"), QStringLiteral("#ffff80"),
                                              QStringLiteral("-o"), QStringLiteral("c.png")},
                         dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QImage coloured(dir.filePath(QStringLiteral("c.png")));
    // 0.5 mm at 203 dpi: 4 pixels a module, and the dpi in the file.
    QCOMPARE(qRound(coloured.dotsPerMeterX() * 0.0254), 203);
    QSet<QRgb> colours;
    for (int y = 0; y < coloured.height(); ++y)
        for (int x = 0; x < coloured.width(); ++x)
            colours.insert(coloured.pixel(x, y));
    QCOMPARE(colours, (QSet<QRgb>{qRgb(0, 0, 0x8B), qRgb(0xFF, 0xFF, 0x80)}));
    const std::vector<int> bars = testing::darkColumns(coloured, 20);
    QCOMPARE(bars.front(), 20 * 4);
    QCOMPARE(coloured.width() % 4, 0);
    // Opaque colours written with their alpha are the same colours.
    run = runProgram(symbol + QStringList{QStringLiteral("--fg"), QStringLiteral("#ff00008b"),
                                          QStringLiteral("--bg"), QStringLiteral("#ffffff80"),
                                          QStringLiteral("-o"), QStringLiteral("a.png")},
                     dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(QImage(dir.filePath(QStringLiteral("a.png"))), coloured);

    run = runProgram(
        symbol + QStringList{QStringLiteral("--transparent"), QStringLiteral("-o"), QStringLiteral("t.png")},
        dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QImage clear(dir.filePath(QStringLiteral("t.png")));
    QVERIFY(clear.hasAlphaChannel());
    QCOMPARE(qAlpha(clear.pixel(0, 0)), 0);
    QCOMPARE(clear.pixel(20 * 4, 40), qRgba(0, 0, 0, 255));
}

void TestCli::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    auto args = [](const char* text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };
    QTest::newRow("Code 39 character") << args("-t code39 -d AB#C -o x.png") << 1 << "# is Invalid";
    QTest::newRow("Code 128 character")
        << QStringList{QStringLiteral("-t"),          QStringLiteral("code128"), QStringLiteral("-d"),
                       QString::fromUtf8("\xC3\xA9"), QStringLiteral("-o"),      QStringLiteral("x.svg")}
        << 1 << "Invalid Character(s)";
    QTest::newRow("EAN-13 hint") << args("-t ean13 -d 123 -o x.pdf") << 1
                                 << "Enter 12 digit number for EAN-13";
    QTest::newRow("UPC-A hint") << args("-t upca -d 123 -o x.bmp") << 1 << "Enter 11 digit number for UPC-A";
    QTest::newRow("empty data") << QStringList{QStringLiteral("-d"), QString(), QStringLiteral("-o"),
                                               QStringLiteral("x.png")}
                                << 1 << "Please Type the Barcode Data First";
    QTest::newRow("unknown type") << args("-t qrcode2 -d 1 -o x.png") << 2 << "unknown type 'qrcode2'";
    QTest::newRow("unknown option") << args("--frobnicate") << 2 << "Unknown option 'frobnicate'";
    QTest::newRow("no output") << args("-d 1") << 2 << "--output is needed";
    QTest::newRow("no data") << args("-o x.png") << 2 << "--data or --batch is needed";
    QTest::newRow("unknown extension")
        << args("-d 1 -o x.gif") << 2 << "extension must be one of png, svg, pdf, bmp, tiff, tif";
    QTest::newRow("bad colour") << args("-d 1 --fg nocolour -o x.png") << 2 << "'nocolour' is not a colour";
    QTest::newRow("bad module") << args("-d 1 --module-mm 0 -o x.png") << 2
                                << "module width must be between 0.01 and 25.4 mm";
    // Sizes no output can show: the Export dialog's range.
    QTest::newRow("module under the floor")
        << args("-d 1 --module-mm 0.009 -o x.png") << 2 << "module width must be between 0.01 and 25.4 mm";
    QTest::newRow("tiny module, PDF") << args("-d 1 --module-mm 1e-100 -o x.pdf") << 2 << "0.01 and 25.4";
    QTest::newRow("tiny module, SVG") << args("-d 1 --module-mm 1e-308 -o x.svg") << 2 << "0.01 and 25.4";
    QTest::newRow("module over an inch") << args("-d 1 --module-mm 25.5 -o x.svg") << 2 << "0.01 and 25.4";
    QTest::newRow("module not a number, nan") << args("-d 1 --module-mm nan -o x.png") << 2 << "module";
    QTest::newRow("module infinite") << args("-d 1 --module-mm inf -o x.svg") << 2 << "module";
    QTest::newRow("dpi over the limit")
        << args("-d 1 --dpi 9601 -o x.png") << 2 << "resolution must be between 1 and 9600";
    QTest::newRow("dpi beyond a whole number") << args("-d 1 --dpi 99999999999 -o x.png") << 2 << "--dpi";
    QTest::newRow("dpi negative, batch")
        << args("--batch - --dpi=-300 -o {n}.png") << 2 << "resolution must be between 1 and 9600";
    // A colour with alpha was drawn as if opaque: "transparent" as black.
    QTest::newRow("background named transparent")
        << args("-d 1 --bg transparent -o x.png") << 2 << "--bg 'transparent' is not opaque";
    QTest::newRow("bars of no alpha")
        << args("-d 1 --fg #00ff0000 -o x.svg") << 2
        << "--fg '#00ff0000' is not opaque: colours are drawn solid (--transparent";
    QTest::newRow("half alpha, batch") << args("--batch - --bg #80ffffff -o {n}.png") << 2 << "not opaque";
    QTest::newRow("module not a number") << args("-d 1 --module-mm wide -o x.png") << 2 << "--module-mm";
    QTest::newRow("transparent BMP in a batch") << args("--batch - -o {n}.bmp --transparent") << 2
                                                << "BMP files cannot have a transparent background";
    QTest::newRow("bad dpi") << args("-d 1 --dpi x -o x.png") << 2 << "--dpi";
    QTest::newRow("dpi out of range for a vector file")
        << args("-d 1 --dpi 0 -o x.svg") << 2 << "resolution must be between 1 and 9600";
    QTest::newRow("transparent BMP") << args("-d 1 --transparent -o x.bmp") << 2 << "BMP";
    QTest::newRow("missing font") << args("-d 1 --font NoSuchFamilyAnywhere -o x.png") << 2
                                  << "NoSuchFamilyAnywhere";
    QTest::newRow("batch pattern without a line") << args("--batch - -o same.png") << 2 << "{n} or {data}";
    QTest::newRow("unknown placeholder alone")
        << args("--batch - -o {x}.png") << 2 << "has {x}: the placeholders are {n} and {data}";
    QTest::newRow("unknown placeholder beside a known one")
        << args("--batch - -o out/{n}-{DATA}.png") << 2 << "has {DATA}";
    // The window's limit, in words for a command line, which has no window.
    QTest::newRow("data longer than a symbol takes")
        << QStringList{QStringLiteral("-t"), QStringLiteral("code128"),
                       QStringLiteral("-d"), QString(output::kMaxDataLength + 1, QChar(u'1')),
                       QStringLiteral("-o"), QStringLiteral("x.png")}
        << 1 << "The data is longer than 32767 characters, the most a symbol takes";
    QTest::newRow("batch and data") << args("--batch - -d 1 -o {n}.png") << 2 << "exclude each other";
    QTest::newRow("no workers") << args("--batch - -o {n}.png --jobs 0") << 2
                                << "--jobs takes a whole number";
    QTest::newRow("too many workers")
        << args("--batch - -o {n}.png --jobs 257") << 2 << "--jobs takes a whole number from 1 to 256";
    QTest::newRow("check both ways") << args("-d 1 -o x.png --verify --no-verify") << 2
                                     << "cannot be given together";
    QTest::newRow("missing batch file")
        << args("--batch nothing-here.txt -o {n}.png") << 1 << "nothing-here.txt";
    const auto sheet = [&](const char* product, const char* rest) {
        return QStringList{QStringLiteral("--sheet"), QLatin1String(product)} + args(rest);
    };
    QTest::newRow("sheet: unknown product, the closest said")
        << sheet("Avery 5161x", "-d 1 -o x.pdf") << 2
        << "no label product 'Avery 5161x'; the nearest are: Avery 5161,";
    QTest::newRow("sheet: a CD product")
        << sheet("Avery 5931-Disc", "-d 1 -o x.pdf") << 2 << "CD labels are not supported";
    QTest::newRow("sheet: not a PDF")
        << sheet("Avery 5160", "-d 1 -o x.png") << 2 << "--output needs a .pdf file";
    QTest::newRow("sheet: first label past the sheet")
        << sheet("Avery 5160", "-d 1 -o x.pdf --first-label 31") << 2 << "Avery 5160 has 30 labels a sheet";
    QTest::newRow("sheet: csv without a batch")
        << sheet("Avery 5160", "-d 1 -o x.pdf --csv") << 2 << "--csv reads the --batch file";
    QTest::newRow("sheet: column without csv")
        << sheet("Avery 5160", "--batch - -o x.pdf --column 2") << 2 << "choose columns of a --csv file";
    QTest::newRow("sheet: colours") << sheet("Avery 5160", "-d 1 -o x.pdf --fg red") << 2
                                    << "--fg: sheets of labels are printed black on white";
    QTest::newRow("sheet: bad-lines value")
        << sheet("Avery 5160", "-d 1 -o x.pdf --bad-lines drop") << 2 << "--bad-lines takes empty or skip";
    QTest::newRow("sheet options without a sheet")
        << args("-d 1 -o x.png --copies 3") << 2 << "--copies needs --sheet or --custom-sheet";
    QTest::newRow("custom sheet off the page")
        << args("-d 1 -o x.pdf --custom-sheet page=A4,label=70x37,grid=3x9,first=0x0") << 2
        << "--custom-sheet: Label 25 (row 9, column 1) runs off";
    QTest::newRow("sheet: no symbol fits")
        << args("-t code128 -d LONG-DATA-123456 -o x.pdf --custom-sheet page=A4,label=12x8,grid=1x1") << 1
        << "error: Page 1, row 1, column 1: the symbol does not fit on the label even at one dot";
    QTest::newRow("sheet: no data left")
        << sheet("Avery 5160", "--batch - -o x.pdf") << 1 << "There is no data";
    QTest::newRow("sheet: header column missing")
        << sheet("Avery 5160", "--batch - --csv --header --column sku -o x.pdf") << 1
        << "The column \"sku\" is chosen by name, but the input has no header row";
}

void TestCli::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const Run run = runProgram(arguments, dir.path());
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(run.out.isEmpty());
    // Nothing written, not even a temporary file.
    QCOMPARE(filesIn(dir.path()), QStringList());
}

void TestCli::moduleRoundingIsSaid_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("warning"); // empty when the module comes out within a tenth
    QTest::newRow("a pixel at 1 dpi") << "--module-mm 0.01 --dpi 1 -o x.png"
                                      << "a module 0.01 mm wide at 1 dpi: 1 pixel per module, so a module "
                                         "25.400 mm wide.";
    QTest::newRow("0.1 mm at 96 dpi") << "--module-mm 0.1 --dpi 96 -o x.bmp"
                                      << "1 pixel per module, so a module 0.265 mm wide.";
    QTest::newRow("12% narrower") << "--module-mm 0.3 -o x.png"
                                  << "1 pixel per module";
    QTest::newRow("9% narrower") << "--module-mm 0.29 -o x.png"
                                 << "";
    QTest::newRow("default module at 150 dpi") << "--dpi 150 -o x.png"
                                               << "2 pixels per module, so a module 0.339 mm wide.";
    QTest::newRow("exact") << "--module-mm 0.5 --dpi 203 -o x.png"
                           << "";
    QTest::newRow("default") << "-o x.png"
                             << "";
    // Vector files have no pixels: exactly as asked, whatever --dpi.
    QTest::newRow("SVG") << "--module-mm 0.1 --dpi 96 -o x.svg"
                         << "";
    QTest::newRow("PDF") << "--module-mm 0.01 -o x.pdf"
                         << "";
}

void TestCli::moduleRoundingIsSaid()
{
    QFETCH(QString, arguments);
    QFETCH(QString, warning);
    QTemporaryDir dir;
    const Run run = runProgram(QStringList{QStringLiteral("-t"), QStringLiteral("code128"),
                                           QStringLiteral("-d"), QStringLiteral("R")} +
                                   arguments.split(QLatin1Char(' ')),
                               dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()),
             QStringList{QStringLiteral("x.") + arguments.section(QLatin1Char('.'), -1)});
    if (warning.isEmpty())
        QVERIFY2(!run.err.contains(QLatin1String("per module")), qPrintable(run.err));
    else
        QVERIFY2(run.err.contains(QLatin1String("barcode-generator: warning: ")) && run.err.contains(warning),
                 qPrintable(run.err));
}

void TestCli::standardStreamsThatFail_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("redirection"); // as a shell gives it to the program
    QTest::addColumn<QString>("message");
    // The write's error used to wait in stdio's buffer, never flushed nor checked.
    QTest::newRow("PNG to a full disk") << "-d A -o -"
                                        << ">/dev/full"
                                        << "standard output: ";
    QTest::newRow("help to a full disk") << "--help"
                                         << ">/dev/full"
                                         << "standard output: ";
    // A closed descriptor is taken by the next file opened: the PNG went into it.
    QTest::newRow("PNG to a closed output") << "-d A -o -"
                                            << ">&-"
                                            << "standard output is closed";
    QTest::newRow("version to a closed output") << "--version"
                                                << ">&-"
                                                << "standard output is closed";
    // The sheets' list wrote through its own stream and checked neither.
    QTest::newRow("sheet list to a full disk") << "--list-sheets"
                                               << ">/dev/full"
                                               << "standard output: No space left on device";
    QTest::newRow("a few sheets to a full disk") << "--list-sheets 5160"
                                                 << ">/dev/full"
                                                 << "standard output: No space left on device";
    QTest::newRow("sheet list to a closed output") << "--list-sheets 5160"
                                                   << ">&-"
                                                   << "standard output is closed";
    // "|": a pipe whose reader has gone, with SIGPIPE ignored as a caller may.
    QTest::newRow("sheet list into a broken pipe") << "--list-sheets"
                                                   << "|"
                                                   << "standard output: Broken pipe";
    QTest::newRow("a few sheets into a broken pipe") << "--list-sheets 5160"
                                                     << "|"
                                                     << "standard output: Broken pipe";
    QTest::newRow("types into a broken pipe") << "--list-types"
                                              << "|"
                                              << "standard output: Broken pipe";
    QTest::newRow("batch from a closed input") << "--batch - -o {n}.png"
                                               << "<&-"
                                               << "standard input is closed";
}

void TestCli::standardStreamsThatFail()
{
    QFETCH(QString, arguments);
    QFETCH(QString, redirection);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = testing::withoutDisplay();
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    int brokenPipe[2] = {-1, -1};
    if (redirection == QLatin1String("|")) {
        QVERIFY(::pipe(brokenPipe) == 0);
        ::close(brokenPipe[0]);
        redirection.clear();
        process.setChildProcessModifier([&brokenPipe] {
            ::signal(SIGPIPE, SIG_IGN);
            ::dup2(brokenPipe[1], STDOUT_FILENO);
        });
    }
    const auto closePipe = qScopeGuard([&brokenPipe] {
        if (brokenPipe[1] >= 0)
            ::close(brokenPipe[1]);
    });
    process.start(QStringLiteral("/bin/sh"),
                  QStringList{QStringLiteral("-c"), QStringLiteral("exec \"$0\" \"$@\" ") + redirection,
                              QStringLiteral(PROGRAM_PATH)} +
                      arguments.split(QLatin1Char(' ')));
    QVERIFY(process.waitForStarted());
    QVERIFY(process.waitForFinished(120000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 1, qPrintable(err));
    QVERIFY2(err.contains(QLatin1String("barcode-generator: ") + message), qPrintable(err));
    QCOMPARE(filesIn(dir.path()), QStringList());
}

void TestCli::controlsInEchoedTextAreEscaped_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("existing"); // a file there before the run; empty for none
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("shown");
    const auto args = [](const QString& text) { return text.split(QLatin1Char(' ')); };
    // A title-setting sequence: a terminal shown it raw obeys it.
    QTest::newRow("escape and bell in the data")
        << args(QStringLiteral("-t code39 -d A\x1b]0;T\x07 -o x.png")) << QByteArray() << QString() << 1
        << "\\e is Invalid";
    QTest::newRow("C1 in the data") << args(QStringLiteral("-t code39 -d A\u009b2J -o x.png")) << QByteArray()
                                    << QString() << 1 << "\\x9b is Invalid";
    QTest::newRow("DEL in the data") << args(QStringLiteral("-t code39 -d A\x7f -o x.png")) << QByteArray()
                                     << QString() << 1 << "\\x7f is Invalid";
    QTest::newRow("text direction in the data") << args(QStringLiteral("-t code39 -d A\u202eB -o x.png"))
                                                << QByteArray() << QString() << 1 << "\\u202e is Invalid";
    QTest::newRow("file name of a refused extension")
        << args(QStringLiteral("-d A -o x\x1b[2J\x0d.gif")) << QByteArray() << QString() << 2
        << "'x\\e[2J\\r.gif': the extension";
    QTest::newRow("file name that exists") << args(QStringLiteral("-d A -o a\x01\x09.png")) << QByteArray()
                                           << QStringLiteral("a\x01\x09.png") << 1 << "a\\x01\\t.png exists";
    QTest::newRow("unknown type") << args(QStringLiteral("-t \x1b[31mqr -d A -o x.png")) << QByteArray()
                                  << QString() << 2 << "unknown type '\\e[31mqr'";
    QTest::newRow("batch line's data") << args(QStringLiteral("-t code39 --batch - -o {n}.png"))
                                       << QByteArray("B\x1b]2;X\x07"
                                                     "C\n")
                                       << QString() << 1 << "line 1: \\e is Invalid";
    // The pattern, unlike a line's data, can put controls in a name.
    QTest::newRow("batch file that exists")
        << args(QStringLiteral("-t code128 --batch - -o \x1b{n}.png")) << QByteArray("A\n")
        << QStringLiteral("\x1b\x31.png") << 1 << "line 1: \\e1.png exists";
}

void TestCli::controlsInEchoedTextAreEscaped()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(QString, existing);
    QFETCH(int, status);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    if (!existing.isEmpty())
        QVERIFY(writeFile(dir.filePath(existing), "old"));
    const Run run = runProgram(arguments, dir.path(), input);
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(shown), qPrintable(run.err));
    for (const QChar c : run.err) {
        const char16_t u = c.unicode();
        QVERIFY2((u >= 0x20 && u != 0x7F && !(u >= 0x80 && u <= 0x9F) && u != 0x202E) || u == u'\n',
                 qPrintable(QStringLiteral("U+%1 in: %2").arg(int(u), 4, 16, QLatin1Char('0')).arg(run.err)));
    }
    QCOMPARE(filesIn(dir.path()), existing.isEmpty() ? QStringList() : QStringList{existing});
}

void TestCli::helpAndVersion()
{
    Run run = runProgram({QStringLiteral("--help")});
    QCOMPARE(run.status, 0);
    for (const char* option :
         {"--type", "--data", "--output", "--batch", "--no-optimize", "--no-label", "--check", "--module-mm",
          "--dpi", "--fg", "--bg", "--transparent", "--font", "--jobs", "--quiet", "--verify", "--no-verify"})
        QVERIFY2(run.out.contains(option), option);
    run = runProgram({QStringLiteral("--version")});
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromUtf8(run.out).trimmed(),
             QStringLiteral("barcode-generator %1").arg(QLatin1String(BARCODE_VERSION)));
    // A box the symbology greys is named when asked otherwise.
    QTemporaryDir dir;
    run = runProgram(QString::fromLatin1("-t codabar --check -d 12 -o c.png").split(QLatin1Char(' ')),
                     dir.path());
    QCOMPARE(run.status, 0);
    QVERIFY2(run.err.contains(QLatin1String("--check is fixed for Codabar")), qPrintable(run.err));
    run = runProgram(QString::fromLatin1("-t code128 --check -d 12 -o d.png").split(QLatin1Char(' ')),
                     dir.path());
    QVERIFY2(!run.err.contains(QLatin1String("fixed")), qPrintable(run.err));
}

void TestCli::existingFileNeedsForce()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.png"));
    QVERIFY(writeFile(path, "old"));
    const QStringList args = QString::fromLatin1("-t code128 -d NEW -o keep.png").split(QLatin1Char(' '));
    Run run = runProgram(args, dir.path());
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QLatin1String("keep.png exists")), qPrintable(run.err));
    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("keep.png")});

    run = runProgram(args + QStringList{QStringLiteral("--force")}, dir.path());
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromStdString(testing::decode(QImage(path), ZXing::BarcodeFormat::Code128)),
             QStringLiteral("NEW"));
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("keep.png")});
}

void TestCli::batchWritesTheValidLinesAndReportsTheOthers()
{
    QTemporaryDir dir;
    // Twelve lines: names are padded to two digits. Windows line ends are data
    // ends too, and a last line needs no line end. The blank line is skipped
    // without a word, and still counts for {n}.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("items.txt")),
                      "ONE\nTWO\r\nbad#\n\nFIVE\n6\n7\n8\n9\n10\neleven?\nTWELVE"));
    const Run run =
        runProgram(QString::fromLatin1("-t code39 --batch items.txt -o out/{n}-{data}.png --jobs 3")
                       .split(QLatin1Char(' ')),
                   dir.path());
    QCOMPARE(run.status, 1);
    const QStringList reports = run.err.split(QLatin1Char('\n')).filter(QLatin1String("line "));
    QCOMPARE(reports,
             (QStringList{QStringLiteral("line 3: # is Invalid"), QStringLiteral("line 11: ? is Invalid")}));
    QVERIFY2(run.err.contains(QLatin1String("2 of 11 lines not written")), qPrintable(run.err));
    QCOMPARE(filesIn(dir.filePath(QStringLiteral("out"))),
             (QStringList{"01-ONE.png", "02-TWO.png", "05-FIVE.png", "06-6.png", "07-7.png", "08-8.png",
                          "09-9.png", "10-10.png", "12-TWELVE.png"}));
    QCOMPARE(QString::fromStdString(testing::decode(QImage(dir.filePath(QStringLiteral("out/02-TWO.png"))),
                                                    ZXing::BarcodeFormat::Code39)),
             QStringLiteral("TWO"));
}

void TestCli::invalidUtf8IsRefused_data()
{
    // The arguments go through a shell: QProcess would make them UTF-8 first.
    QTest::addColumn<QString>("script");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("-d") << R"sh("$0" -t qr -d "$(printf 'A\377\376B')" -o x.png)sh" << QByteArray() << 1
                        << "Invalid UTF-8 at byte 2: the data must be UTF-8 text" << QStringList();
    QTest::newRow("--data=, a cut-off sequence last")
        << R"sh("$0" -t qr "--data=$(printf 'AB\303')" -o x.png)sh" << QByteArray() << 1
        << "Invalid UTF-8 at byte 3: the data must be UTF-8 text" << QStringList();
    QTest::newRow("-d, a surrogate") << R"sh("$0" -t qr -d"$(printf 'A\355\240\200')" -o x.png)sh" << QByteArray()
                                     << 1 << "Invalid UTF-8 at byte 2: the data must be UTF-8 text"
                                     << QStringList();
    // The replacement character itself is text like any other.
    QTest::newRow("-d, U+FFFD as UTF-8") << R"sh("$0" -t qr -d "$(printf 'A\357\277\275B')" -o x.png)sh"
                                         << QByteArray() << 0 << QString() << QStringList{"x.png"};
    QTest::newRow("batch line") << R"sh("$0" -t qr --batch - -o '{n}-{data}.png')sh"
                                << QByteArray("ok\nA\xff" "B\n\xc3\xa9t\xc3\xa9\n") << 1
                                << "line 2: Invalid UTF-8 at byte 2: the data must be UTF-8 text\n"
                                   "barcode-generator: 1 of 3 lines not written"
                                << QStringList{"1-ok.png", QString::fromUtf8("3-été.png")};
}

// Bytes that are not UTF-8 are refused where they are given, never encoded
// (nor named in a file) as U+FFFD.
void TestCli::invalidUtf8IsRefused()
{
    QFETCH(QString, script);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, err);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = testing::withoutDisplay();
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, QStringLiteral(PROGRAM_PATH)});
    QVERIFY(process.waitForStarted());
    process.write(input);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitCode(), status);
    QCOMPARE(QString::fromUtf8(process.readAllStandardError()).trimmed(), err);
    QCOMPARE(filesIn(dir.path()), files);
}

void TestCli::batchFromStandardInput()
{
    QTemporaryDir dir;
    const Run run =
        runProgram(QString::fromLatin1("-t ean13 --batch - -o {n}.svg --quiet").split(QLatin1Char(' ')),
                   dir.path(), QByteArray("123456789012\n12345\n").repeated(6));
    QCOMPARE(run.status, 1);
    // The count is unknown while the lines stream in: no padding.
    QCOMPARE(filesIn(dir.path()), (QStringList{"1.svg", "11.svg", "3.svg", "5.svg", "7.svg", "9.svg"}));
    QCOMPARE(run.err.count(QLatin1String("Enter 12 digit number for EAN-13")), 6);
    QVERIFY2(run.err.contains(QLatin1String("line 12: ")), qPrintable(run.err));
    QCOMPARE(QString::fromStdString(testing::decode(rasterise(dir.filePath(QStringLiteral("11.svg"))),
                                                    ZXing::BarcodeFormat::EAN13)),
             QStringLiteral("1234567890128"));
}

void TestCli::batchIsTheSameForAnyNumberOfWorkers()
{
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 0; i < 300; ++i)
        lines += QByteArray::number(i * 7919) + (i % 3 ? "-Ab" : "") + (i % 50 == 7 ? "\xC3\xA9" : "") + '\n';
    QVERIFY(writeFile(dir.filePath(QStringLiteral("lines.txt")), lines));
    for (const char* format : {"png", "svg"}) {
        QMap<QString, QByteArray> first;
        // 256 workers are the most --jobs takes: more than the lines in flight.
        for (const char* jobs : {"1", "4", "256"}) {
            const QString out = QStringLiteral("%1-%2").arg(QLatin1String(format), QLatin1String(jobs));
            const Run run =
                runProgram({QStringLiteral("-t"), QStringLiteral("code128"), QStringLiteral("--batch"),
                            QStringLiteral("lines.txt"), QStringLiteral("-o"),
                            out + QStringLiteral("/{n}.") + QLatin1String(format),
                            QStringLiteral("--module-mm"), QStringLiteral("0.25"), QStringLiteral("--dpi"),
                            QStringLiteral("300"), QStringLiteral("--jobs"), QLatin1String(jobs)},
                           dir.path());
            QCOMPARE(run.status, 1); // the accented lines
            QCOMPARE(run.err.count(QLatin1String("Invalid Character(s)")), 6);
            QMap<QString, QByteArray> files;
            for (const QString& name : filesIn(dir.filePath(out)))
                files.insert(name, readAll(dir.filePath(out + QLatin1Char('/') + name)));
            QCOMPARE(files.size(), 294);
            if (first.isEmpty())
                first = files;
            else
                QVERIFY(files == first);
        }
    }
}

void TestCli::batchExistingFilesFailWithoutForce()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("out")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("out/2.png")), "old"));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("items.txt")), "A\nB\nC\n"));
    const QStringList args =
        QString::fromLatin1("-t code128 --batch items.txt -o out/{n}.png").split(QLatin1Char(' '));
    Run run = runProgram(args, dir.path());
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QLatin1String("line 2: out/2.png exists")), qPrintable(run.err));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("out/2.png"))), QByteArray("old"));
    QCOMPARE(filesIn(dir.filePath(QStringLiteral("out"))), (QStringList{"1.png", "2.png", "3.png"}));

    run = runProgram(args + QStringList{QStringLiteral("--force")}, dir.path());
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromStdString(testing::decode(QImage(dir.filePath(QStringLiteral("out/2.png"))),
                                                    ZXing::BarcodeFormat::Code128)),
             QStringLiteral("B"));
}

void TestCli::batchReportsAFolderItCannotMake()
{
    QTemporaryDir dir;
    // A file where the folder should be: no folder can be made there.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("taken")), "file"));
    const Run run =
        runProgram(QString::fromLatin1("-t code128 --batch - -o taken/{n}.png").split(QLatin1Char(' ')),
                   dir.path(), "A\nB\n");
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QLatin1String("line 1: taken/1.png not written: cannot create the folder")),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QLatin1String("2 of 2 lines not written")), qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()), QStringList{QStringLiteral("taken")});
}

void TestCli::cancelledBatchLeavesOnlyWholeFiles()
{
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 0; i < 400; ++i)
        lines += "LINE " + QByteArray::number(i) + '\n';
    QBuffer input(&lines);
    QVERIFY(input.open(QIODevice::ReadOnly));
    output::BatchSettings settings;
    settings.symbology = Symbology::Code128;
    settings.pattern = dir.filePath(QStringLiteral("{n}.png"));
    settings.jobs = 2;
    std::atomic<bool> cancel{false};
    qint64 seen = 0;
    const output::BatchSummary summary = output::BatchRunner(settings).run(
        input, output::countLines(input), [](const output::LineOutcome&) {},
        [&](const output::BatchProgress& p) {
            seen = p.done;
            if (p.done == 25)
                cancel = true;
        },
        &cancel);
    QVERIFY(summary.cancelled);
    QCOMPARE(summary.written, 25);
    QCOMPARE(seen, 25);
    // Lines drawn ahead of the cancel leave no temporary file behind.
    const QStringList files = filesIn(dir.path());
    QCOMPARE(files.size(), 25);
    for (const QString& name : files) {
        const QString line = QStringLiteral("LINE %1").arg(name.section(QLatin1Char('.'), 0, 0).toInt() - 1);
        QCOMPARE(QString::fromStdString(
                     testing::decode(QImage(dir.filePath(name)), ZXing::BarcodeFormat::Code128)),
                 line);
    }
}

void TestCli::verifyTurnsAnUnreadSymbolIntoAFailure_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("message"); // on standard error; empty for none
    auto args = [](const char* text) { return QString::fromLatin1(text).split(QLatin1Char(' ')); };
    // Grey on a slightly lighter grey: drawn as asked, but no decoder tells the bars apart.
    const QStringList faint = args("-t code128 -d FAINT --fg #777777 --bg #808080");
    const QStringList good = args("-t code128 -d FAINT --fg darkblue --bg #ffffe0");
    for (const char* file : {"out.png", "out.svg", "out.pdf"}) {
        const QStringList out{QStringLiteral("-o"), QLatin1String(file)};
        QTest::addRow("faint, %s, warned", file)
            << faint + out << 0 << true << "warning: Not read by a standard decoder";
        QTest::addRow("faint, %s, --verify", file)
            << faint + out + QStringList{QStringLiteral("--verify")} << 1 << false
            << QStringLiteral("%1 not written: Not read by a standard decoder").arg(QLatin1String(file));
        QTest::addRow("good pair, %s, --verify", file)
            << good + out + QStringList{QStringLiteral("--verify")} << 0 << true << QString();
    }
    QTest::newRow("faint, --no-verify, only the colours warned of")
        << faint + args("-o out.png --no-verify") << 0 << true
        << "warning: The bars and the background differ little";
    QTest::newRow("vector too large to read back, written")
        << args("-t code128 -d HELLO --module-mm 3 --dpi 1200 -o out.svg") << 0 << true
        << "warning: Not read back: At 142 pixels per module";
    QTest::newRow("short ITF, --verify, the reason said")
        << args("-t itf -d 12 -o out.png --verify") << 1 << false << "fewer than 6 digits";
    // A library symbology is read by its own decoder, and refused the same way.
    QTest::newRow("faint QR Code, --verify")
        << args("-t qr -d FAINT --fg #777777 --bg #808080 -o out.png --verify") << 1 << false
        << "out.png not written: Not read by a standard decoder";
    QTest::newRow("faint EAN-13 add-on, warned")
        << args("-t ean13 -d 4006381333931 --addon 12 --fg #777777 --bg #808080 -o out.svg") << 0 << true
        << "warning: Not read by a standard decoder";
    // Nothing could read it back: --verify writes only what was.
    QTest::newRow("faint POSTNET, --verify: not checked, refused")
        << args("-t postnet -d 12345 --fg #777777 --bg #808080 -o out.pdf --verify") << 1 << false
        << "out.pdf not written: Not checked: no decoder reads POSTNET (--verify writes only symbols that "
           "read back)";
}

void TestCli::verifyTurnsAnUnreadSymbolIntoAFailure()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(bool, written);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const Run run = runProgram(arguments, dir.path());
    QCOMPARE(run.status, status);
    if (message.isEmpty())
        QVERIFY2(!run.err.contains(QLatin1String("barcode-generator")), qPrintable(run.err));
    else
        QVERIFY2(run.err.contains(message), qPrintable(run.err));
    if (arguments.contains(QStringLiteral("--no-verify")))
        QVERIFY2(!run.err.contains(QLatin1String("Not read")), qPrintable(run.err));
    const QString file = arguments.at(arguments.indexOf(QStringLiteral("-o")) + 1);
    QCOMPARE(filesIn(dir.path()), written ? QStringList{file} : QStringList{});
}

void TestCli::batchReadsBackEveryLine_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("reports"); // each "line N: " report, in order, as it begins
    QTest::addColumn<QStringList>("files");
    // Interleaved 2 of 5 of two digits is drawn, but decoders refuse it.
    const QByteArray itf = "123456\n12\n7890123456\n";
    QTest::newRow("warned, written") << "-t itf --batch - -o {n}.png --jobs 2" << itf << 0
                                     << QStringList{"line 2: warning: 2.png: Not read by a standard decoder"}
                                     << QStringList{"1.png", "2.png", "3.png"};
    QTest::newRow("--verify refuses")
        << "-t itf --batch - -o {n}.png --verify --jobs 2" << itf << 1
        << QStringList{"line 2: 2.png not written: Not read"} << QStringList{"1.png", "3.png"};
    QTest::newRow("--no-verify reads nothing back")
        << "-t itf --batch - -o {n}.png --no-verify" << itf << 0 << QStringList{}
        << QStringList{"1.png", "2.png", "3.png"};
    // A vector file is read back from its picture drawn at the export's size.
    QTest::newRow("faint SVG, every line warned")
        << "-t code128 --fg #777777 --bg #808080 --batch - -o {n}.svg" << QByteArray("A1\nB2\n") << 0
        << QStringList{"line 1: warning: 1.svg: Not read", "line 2: warning: 2.svg: Not read"}
        << QStringList{"1.svg", "2.svg"};
}

// Every line's picture is decoded as it is written: a warning by line number
// without --verify, a refused line with it; lines that read say nothing.
void TestCli::batchReadsBackEveryLine()
{
    QFETCH(QString, arguments);
    QFETCH(QByteArray, lines);
    QFETCH(int, status);
    QFETCH(QStringList, reports);
    QFETCH(QStringList, files);
    QTemporaryDir dir;
    const Run run = runProgram(arguments.split(QLatin1Char(' ')), dir.path(), lines);
    QCOMPARE(run.status, status);
    const QStringList said =
        run.err.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^line ")));
    QCOMPARE(said.size(), reports.size());
    for (qsizetype i = 0; i < said.size(); ++i)
        QVERIFY2(said[i].startsWith(reports[i]), qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()), files);
    if (status == 0 && !reports.isEmpty())
        QVERIFY2(run.err.contains(
                     QStringLiteral("warning: %1 of the files written may not scan").arg(reports.size())),
                 qPrintable(run.err));
    if (files.contains(QStringLiteral("3.png")))
        QCOMPARE(QString::fromStdString(testing::decode(QImage(dir.filePath(QStringLiteral("3.png"))),
                                                        ZXing::BarcodeFormat::ITF)),
                 QStringLiteral("7890123456"));
}

void TestCli::vectorFilesTakeTheColours_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("SVG") << "c.svg";
    QTest::newRow("PDF") << "c.pdf";
}

// The colours once refused for vector files: the bars and the background are
// the chosen pair, the same in a batch as for one symbol.
void TestCli::vectorFilesTakeTheColours()
{
    QFETCH(QString, file);
    QTemporaryDir dir;
    const QStringList colours =
        QString::fromLatin1("-t code39 --no-label --fg #00008b --bg #ffff80 --module-mm 0.5")
            .split(QLatin1Char(' '));
    Run run = runProgram(
        colours + QStringList{QStringLiteral("-d"), QStringLiteral("RGB"), QStringLiteral("-o"), file},
        dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    run = runProgram(colours + QStringList{QStringLiteral("--batch"), QStringLiteral("-"),
                                           QStringLiteral("-o"), QStringLiteral("batch/{data}-") + file},
                     dir.path(), "RGB\n");
    QVERIFY2(run.status == 0, qPrintable(run.err));
    for (const QString& path : {dir.filePath(file), dir.filePath(QStringLiteral("batch/RGB-") + file)}) {
        const QImage image = rasterise(path, 0.5);
        QVERIFY(!image.isNull());
        QSet<QRgb> seen;
        // The row through the bars, away from the anti-aliased page edge.
        const int row = image.height() / 2;
        for (int x = 2; x < image.width() - 2; ++x)
            seen.insert(image.pixel(x, row) & 0xffffff);
        QCOMPARE(seen, (QSet<QRgb>{0x00008b, 0xffff80}));
    }
}

namespace {

// The environment of runProgram(), changed by NAME=VALUE settings and names to
// remove.
QProcessEnvironment environment(const QStringList& settings, const QStringList& removed = {})
{
    QProcessEnvironment env = testing::withoutDisplay();
    for (const QString& name : removed)
        env.remove(name);
    for (const QString& setting : settings)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    return env;
}

Run runIn(const QProcessEnvironment& env, const QStringList& arguments, const QString& folder)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(PROGRAM_PATH), arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), QString::fromUtf8(process.readAllStandardError())};
}

const QStringList kOneSymbol = QString::fromLatin1("-t code128 -d HELLO-123 -o").split(QLatin1Char(' '));

} // namespace

void TestCli::commandPrintsOnlyItsOwnMessages_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QStringList>("removed");
    QTest::newRow("no XDG_RUNTIME_DIR") << QStringList() << QStringList{QStringLiteral("XDG_RUNTIME_DIR")};
    QTest::newRow("a platform that needs a display")
        << QStringList{QStringLiteral("QT_QPA_PLATFORM=xcb")} << QStringList();
    QTest::newRow("no such platform")
        << QStringList{QStringLiteral("QT_QPA_PLATFORM=no-such-platform")} << QStringList();
    QTest::newRow("an X11 session without a display")
        << QStringList{QStringLiteral("XDG_SESSION_TYPE=x11")} << QStringList();
}

// Scripts and cron jobs collect standard error: a command that succeeds says
// nothing there, whatever the session it inherits, and needs no display.
void TestCli::commandPrintsOnlyItsOwnMessages()
{
    QFETCH(QStringList, settings);
    QFETCH(QStringList, removed);
    QTemporaryDir dir;
    const Run run =
        runIn(environment(settings, removed), kOneSymbol + QStringList{QStringLiteral("a.png")}, dir.path());
    QCOMPARE(run.err, QString());
    QCOMPARE(run.status, 0);
    QCOMPARE(QString::fromStdString(testing::decode(QImage(dir.filePath(QStringLiteral("a.png"))),
                                                    ZXing::BarcodeFormat::Code128)),
             QStringLiteral("HELLO-123"));
}

void TestCli::commandLoadsNothingOfTheWindow_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("imagePlugins");
    // PNG, SVG and PDF are written without Qt's image plugins; BMP and TIFF
    // go through them.
    QTest::newRow("PNG") << "a.png" << false;
    QTest::newRow("SVG") << "a.svg" << false;
    QTest::newRow("PDF") << "a.pdf" << false;
    QTest::newRow("BMP") << "a.bmp" << true;
    QTest::newRow("TIFF") << "a.tif" << true;
}

// A command starts without what only the window uses: each library loaded
// costs every call its start-up time. The dynamic loader names what it maps.
void TestCli::commandLoadsNothingOfTheWindow()
{
    QFETCH(QString, file);
    QFETCH(bool, imagePlugins);
    QTemporaryDir dir;
    const Run run =
        runIn(environment({QStringLiteral("LD_DEBUG=files")}, {QStringLiteral("LD_DEBUG_OUTPUT")}),
              kOneSymbol + QStringList{file}, dir.path());
    QCOMPARE(run.status, 0);
    QVERIFY(QFile::exists(dir.filePath(file)));
    // The loader's report is there: the libraries the command needs.
    QVERIFY2(run.err.contains(QLatin1String("libQt6Gui.so")), qPrintable(run.err.left(2000)));
    for (const char* name : {"libQt6Widgets", "libQt6PrintSupport", "libbarcode-generator-window"})
        QVERIFY2(!run.err.contains(QLatin1String(name)), name);
    if (!imagePlugins) {
        QVERIFY(!run.err.contains(QLatin1String("/imageformats/")));
        QVERIFY(!run.err.contains(QLatin1String("libQt6Svg")));
    }
}

// Without arguments the program loads its window module, wherever it runs
// from the build tree (the install test covers the installed tree).
void TestCli::noArgumentsLoadTheWindow()
{
    QProcess process;
    process.setProcessEnvironment(
        environment({QStringLiteral("QT_QPA_PLATFORM=offscreen"), QStringLiteral("LD_DEBUG=files")},
                    {QStringLiteral("LD_DEBUG_OUTPUT")}));
    process.setReadChannel(QProcess::StandardError);
    process.start(QStringLiteral(PROGRAM_PATH), QStringList());
    QVERIFY(process.waitForStarted());
    QString err;
    const QRegularExpression windowReady(
        QStringLiteral("calling init: \\S*libbarcode-generator-window\\.so"));
    QDeadlineTimer deadline(60000);
    while (!err.contains(windowReady) && process.state() == QProcess::Running && !deadline.hasExpired()) {
        process.waitForReadyRead(1000);
        err += QString::fromUtf8(process.readAllStandardError());
    }
    const bool running = process.state() == QProcess::Running;
    process.kill();
    process.waitForFinished();
    err += QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(running, qPrintable(err.right(2000)));
    QVERIFY2(err.contains(windowReady), qPrintable(err.right(2000)));
    QVERIFY(err.contains(QLatin1String("libQt6Widgets")));
}

void TestCli::batchRefusesALineLongerThanTheWindowTakes_data()
{
    QTest::addColumn<bool>("fromFile");
    QTest::newRow("from a file") << true;
    QTest::newRow("from standard input") << false;
}

// The window's box takes 32767 characters: a batch line of more is refused
// by its number before anything is drawn, and a line far longer is not read
// whole first. The lines after it are written as usual.
void TestCli::batchRefusesALineLongerThanTheWindowTakes()
{
    QFETCH(bool, fromFile);
    QTemporaryDir dir;
    const qsizetype most = output::kMaxDataLength;
    const QByteArray lines = QByteArray(most, '1') + '\n' + QByteArray(most + 1, '2') + "\r\n" +
                             QByteArray(4 << 20, '3') + '\n' + QByteArray(most, '4') + "\r\nAB\n";
    QVERIFY(writeFile(dir.filePath(QStringLiteral("lines.txt")), lines));
    const QStringList args{
        QStringLiteral("-t"),         QStringLiteral("code128"),
        QStringLiteral("--batch"),    fromFile ? QStringLiteral("lines.txt") : QStringLiteral("-"),
        QStringLiteral("-o"),         QStringLiteral("{n}.png"),
        QStringLiteral("--no-verify")};
    const Run run = runProgram(args, dir.path(), fromFile ? QByteArray() : lines);
    QCOMPARE(run.status, 1);
    const QString tooLong =
        QStringLiteral("The data is longer than 32767 characters, the most a symbol takes");
    QCOMPARE(run.err.split(QLatin1Char('\n')).filter(QLatin1String("line ")),
             (QStringList{QStringLiteral("line 2: ") + tooLong, QStringLiteral("line 3: ") + tooLong}));
    QVERIFY2(run.err.contains(QLatin1String("2 of 5 lines not written")), qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()), (QStringList{"1.png", "4.png", "5.png", "lines.txt"}));
    QCOMPARE(QString::fromStdString(testing::decode(QImage(dir.filePath(QStringLiteral("5.png"))),
                                                    ZXing::BarcodeFormat::Code128)),
             QStringLiteral("AB"));
    // The longest line the window takes is drawn whole: as long as the window's.
    Window w;
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QString(most, QChar(u'4')));
    QCOMPARE(w->Text1->text().size(), most);
    QCOMPARE(QImageReader(dir.filePath(QStringLiteral("4.png"))).size().width(),
             w->Picture1().Image().width());
}

void TestCli::batchNeverReplacesItsOwnFiles_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<bool>("force");
    QTest::addColumn<QString>("file"); // the one file left, of the first line
    // Every one of these is the same name once made safe for a file.
    const QByteArray alike = "A/B\nA:B\nA_B\nA*B\n";
    QTest::newRow("names made alike, --force") << alike << true << "c/A_B.png";
    QTest::newRow("names made alike") << alike << false << "c/A_B.png";
    // Two names, one file: "link" is a link to the folder "real".
    const QByteArray linked = "real\nlink\nreal\n";
    QTest::newRow("one file by two names, --force") << linked << true << "real/x.png";
    QTest::newRow("one file by two names") << linked << false << "real/x.png";
}

// A later line whose name is that of a file the batch wrote itself is refused
// with the earlier line's number, whatever --force says; --force is for files
// that were there before.
void TestCli::batchNeverReplacesItsOwnFiles()
{
    QFETCH(QByteArray, lines);
    QFETCH(bool, force);
    QFETCH(QString, file);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("real")));
    QVERIFY(QFile::link(QStringLiteral("real"), dir.filePath(QStringLiteral("link"))));
    const bool linked = lines.startsWith("real");
    QStringList args{
        QStringLiteral("-t"),      QStringLiteral("code128"),
        QStringLiteral("--batch"), QStringLiteral("-"),
        QStringLiteral("-o"),      linked ? QStringLiteral("{data}/x.png") : QStringLiteral("c/{data}.png")};
    if (force)
        args << QStringLiteral("--force");
    const Run run = runProgram(args, dir.path(), lines);
    QCOMPARE(run.status, 1);
    const QStringList reports = run.err.split(QLatin1Char('\n')).filter(QLatin1String("line "));
    const qsizetype later = lines.count('\n') - 1;
    QCOMPARE(reports.size(), later);
    for (qsizetype i = 0; i < later; ++i) {
        QVERIFY2(reports[i].startsWith(QStringLiteral("line %1: ").arg(i + 2)), qPrintable(run.err));
        QVERIFY2(reports[i].endsWith(QLatin1String(" not written: line 1 wrote a file of that name")),
                 qPrintable(run.err));
    }
    QVERIFY2(!run.err.contains(QLatin1String("exists")), qPrintable(run.err));
    const QString folder = QFileInfo(dir.filePath(file)).path();
    QCOMPARE(filesIn(folder), QStringList{QFileInfo(file).fileName()});
    QCOMPARE(
        QString::fromStdString(testing::decode(QImage(dir.filePath(file)), ZXing::BarcodeFormat::Code128)),
        QString::fromLatin1(lines.left(lines.indexOf('\n'))));
}

// A slow producer: each line's file is there soon after the line, while the
// input is still open.
void TestCli::batchWritesEachLineAsItArrives()
{
    QTemporaryDir dir;
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(PROGRAM_PATH),
                  QString::fromLatin1("-t code128 --batch - -o {data}.png --jobs 2").split(QLatin1Char(' ')));
    QVERIFY(process.waitForStarted());
    const auto appear = [&dir](const QStringList& names) {
        return QTest::qWaitFor(
            [&] {
                for (const QString& name : names)
                    if (!QFileInfo::exists(dir.filePath(name)))
                        return false;
                return true;
            },
            15000);
    };
    process.write("C1\nC2\nC3\n");
    QVERIFY2(appear({"C1.png", "C2.png", "C3.png"}), qPrintable(filesIn(dir.path()).join(u' ')));
    QCOMPARE(process.state(), QProcess::Running);
    process.write("C4\n");
    QVERIFY2(appear({"C4.png"}), qPrintable(filesIn(dir.path()).join(u' ')));
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(filesIn(dir.path()), (QStringList{"C1.png", "C2.png", "C3.png", "C4.png"}));
    QCOMPARE(QString::fromStdString(testing::decode(QImage(dir.filePath(QStringLiteral("C4.png"))),
                                                    ZXing::BarcodeFormat::Code128)),
             QStringLiteral("C4"));
}

void TestCli::signalLeavesOnlyWholeFiles_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("waiting"); // for input that has not come, rather than drawing
    QTest::addColumn<int>("status");
    QTest::newRow("SIGINT while drawing") << int(SIGINT) << false << 130;
    QTest::newRow("SIGTERM while drawing") << int(SIGTERM) << false << 143;
    QTest::newRow("SIGINT waiting for input") << int(SIGINT) << true << 130;
    QTest::newRow("SIGTERM waiting for input") << int(SIGTERM) << true << 143;
}

// Ctrl+C or a kill in the middle of a batch: the files in flight are finished
// or removed, the status is the shell's for the signal, and every file left
// is a whole symbol of its line.
void TestCli::signalLeavesOnlyWholeFiles()
{
    QFETCH(int, signal);
    QFETCH(bool, waiting);
    QFETCH(int, status);
    QTemporaryDir dir;
    QByteArray lines;
    for (int i = 1; i <= 100000; ++i)
        lines += "LINE " + QByteArray::number(i) + '\n';
    QVERIFY(writeFile(dir.filePath(QStringLiteral("lines.txt")), lines));
    QProcess process;
    process.setWorkingDirectory(dir.path());
    const QString out = dir.filePath(QStringLiteral("out"));
    process.start(QStringLiteral(PROGRAM_PATH),
                  {QStringLiteral("-t"), QStringLiteral("code128"), QStringLiteral("--batch"),
                   waiting ? QStringLiteral("-") : QStringLiteral("lines.txt"), QStringLiteral("-o"),
                   QStringLiteral("out/{n}.png"), QStringLiteral("--jobs"), QStringLiteral("2")});
    QVERIFY(process.waitForStarted());
    if (waiting)
        process.write(lines.left(lines.indexOf("LINE 21\n")));
    // Under way: some files are there, and (drawing) many lines to go.
    QVERIFY(QTest::qWaitFor([&] { return QDir(out).entryList(QDir::Files).size() >= 20; }, 30000));
    ::kill(pid_t(process.processId()), signal);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    const QStringList files = filesIn(out);
    QVERIFY(files.size() >= 20);
    if (!waiting)
        QVERIFY(files.size() < 100000);
    for (const QString& name : files) {
        QVERIFY2(!name.startsWith(QLatin1Char('.')), qPrintable(name));
        const QImage image(out + QLatin1Char('/') + name);
        QVERIFY2(!image.isNull(), qPrintable(name));
    }
    QVERIFY2(process.readAllStandardError().contains("each complete"), "the end is said");
    // Decoding every file would take long; the last ones written are those in flight.
    QStringList byLine = files;
    std::sort(byLine.begin(), byLine.end(), [](const QString& a, const QString& b) {
        return a.section(u'.', 0, 0).toInt() < b.section(u'.', 0, 0).toInt();
    });
    for (const QString& name : byLine.mid(byLine.size() - 5))
        QCOMPARE(QString::fromStdString(
                     testing::decode(QImage(out + QLatin1Char('/') + name), ZXing::BarcodeFormat::Code128)),
                 QStringLiteral("LINE %1").arg(name.section(u'.', 0, 0).toInt()));
}

void TestCli::librarySymbologiesToEachFormatDecode_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("decoded");
    struct Case {
        const char* name;
        QStringList arguments;
        const char* format;
        const char* decoded;
    };
    const auto args = [](const char* text) { return QString::fromUtf8(text).split(QLatin1Char('|')); };
    const Case cases[] = {
        {"QR Code", args("-t|qr|-d|Asset 0042 / Bay 7"), "QRCode", "Asset 0042 / Bay 7"},
        {"QR Code, UTF-8", args("-t|qr|-d|Café 東京"), "QRCode", "Café 東京"},
        {"Micro QR Code", args("-t|microqr|-d|12345"), "MicroQRCode", "12345"},
        {"Data Matrix", args("-t|datamatrix|-d|Bin 7-A/42"), "DataMatrix", "Bin 7-A/42"},
        {"Aztec", args("-t|aztec|-d|Ticket 2026-12-11"), "Aztec", "Ticket 2026-12-11"},
        {"PDF417", args("-t|pdf417|-d|PDF417 stacked rows"), "PDF417", "PDF417 stacked rows"},
        // Listed under libzint's name alone.
        {"Compact PDF417", args("-t|pdf417comp|-d|Compact rows"), "PDF417", "Compact rows"},
        {"MaxiCode", args("-t|maxicode|-d|PARCEL 123"), "MaxiCode", "PARCEL 123"},
        {"Code 93", args("-t|code93|-d|CODE-93 X"), "Code93", "CODE-93 X"},
        {"EAN-8 as printed", args("-t|ean8|-d|9638-5074"), "EAN8", "96385074"},
        {"EAN-8 without its check", args("-t|ean8|-d|9638507"), "EAN8", "96385074"},
        {"UPC-E", args("-t|upce|-d|01234565"), "UPCE", "01234565"},
        {"UPC-E with add-on", args("-t|upce|-d|0123456|--addon|12"), "UPCE", "01234565 12"},
        {"EAN-13 with add-on", args("-t|ean13|-d|4006381333931|--addon|12345"), "EAN13",
         "4006381333931 12345"},
        {"ISBN-10 with price add-on", args("-t|isbn|-d|0-306-40615-2|--addon|51299"), "EAN13",
         "9780306406157 51299"},
        {"UPC-A with add-on", args("-t|upca|-d|036000291452|--addon|07"), "UPCA", "036000291452 07"},
        {"EAN-13 standard proportions", args("-t|ean13|-d|4006381333931|--proportions|standard"), "EAN13",
         "4006381333931"},
        {"DataBar", args("-t|databar|-d|0950110153000"), "DataBar", "]e009501101530003"},
        {"DataBar Expanded", args("-t|databar-expanded|-d|[01]09501101530003[3103]001750"), "DataBarExpanded",
         "]e0(01)09501101530003(3103)001750"},
        {"ITF-14", args("-t|itf14|-d|1540014128876"), "ITF", "15400141288763"},
        {"ITF-14 as printed", args("-t|itf14|-d|1 54 00141 28876 3"), "ITF", "15400141288763"},
        {"GS1-128 with AIs", args("-t|gs1-128|-d|[01]09501101530003[17]261231[10]AB-12"), "Code128",
         "]C101095011015300031726123110AB-12"},
        {"GS1 DataMatrix", args("-t|gs1-datamatrix|-d|[01]09501101530003[21]SN42"), "DataMatrix",
         "]d2010950110153000321SN42"},
        {"GS1 QR Code", args("-t|gs1-qr|-d|[01]09501101530003[10]LOT7"), "QRCode",
         "]Q3010950110153000310LOT7"},
        {"Code 128 set B", args("-t|code128b|-d|set b 128"), "Code128", "set b 128"},
    };
    // Three pixels a module in every file; the vector files read back at that too.
    const QStringList size = args("--module-mm|0.254|--dpi|300");
    for (const Case& c : cases)
        for (const char* extension : {"png", "svg", "pdf"})
            QTest::addRow("%s to %s", c.name, extension)
                << c.arguments + size << QStringLiteral("out.%1").arg(QLatin1String(extension))
                << QString::fromLatin1(c.format) << QString::fromUtf8(c.decoded);
}

// The files the command line writes read back as a scanner returns the data:
// check digits, add-ons and AIs included.
void TestCli::librarySymbologiesToEachFormatDecode()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, file);
    QFETCH(QString, format);
    QFETCH(QString, decoded);
    QTemporaryDir dir;
    const Run run = runProgram(
        arguments + QStringList{QStringLiteral("--verify"), QStringLiteral("-o"), file}, dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    // --verify wrote it: the program's own check read it too, without a word.
    QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()), QStringList{file});
    const QImage image = rasterise(dir.filePath(file), 0.254 / 3);
    QVERIFY(!image.isNull());
    QCOMPARE(scan(image, ZXing::BarcodeFormatFromString(format.toStdString())), decoded);
}

// A higher level of error correction takes more modules for the same data;
// --symbol-size gives the size asked for, by its number or its name. At three
// pixels a module the dark bounds are the symbol's own modules times three.
void TestCli::eccAndSymbolSizeShapeTheSymbol()
{
    QTemporaryDir dir;
    const auto modules = [&dir](const QString& arguments, const QString& file) -> QSize {
        const Run run = runProgram(arguments.split(QLatin1Char(' ')) +
                                       QStringList{QStringLiteral("--module-mm"), QStringLiteral("0.254"),
                                                   QStringLiteral("--dpi"), QStringLiteral("300"),
                                                   QStringLiteral("-o"), file},
                                   dir.path());
        if (run.status != 0) {
            qWarning() << run.err;
            return {};
        }
        const QImage image(dir.filePath(file));
        if (scan(image, ZXing::BarcodeFormat::QRCode) == QLatin1String("<no symbol>") &&
            scan(image, ZXing::BarcodeFormat::DataMatrix) == QLatin1String("<no symbol>"))
            return {};
        return darkBounds(image).size() / 3;
    };
    // 20 characters of upper case and digits: version 1 at L, version 2 at H.
    QCOMPARE(modules(QStringLiteral("-t qr -d HELLO12345WORLD67890 --ecc L"), QStringLiteral("l.png")),
             QSize(21, 21));
    QCOMPARE(modules(QStringLiteral("-t qr -d HELLO12345WORLD67890 --ecc h"), QStringLiteral("h.png")),
             QSize(25, 25));
    QCOMPARE(modules(QStringLiteral("-t qr -d HELLO --symbol-size 5"), QStringLiteral("v5.png")),
             QSize(37, 37));
    QCOMPARE(modules(QStringLiteral("-t qr -d HELLO --symbol-size 41x41"), QStringLiteral("v6.png")),
             QSize(41, 41));
    const QStringList sizes = zintsym::symbolSizes(*zintsym::kindNamed(u"datamatrix"));
    const qsizetype rectangle = sizes.indexOf(QRegularExpression(QStringLiteral("^12x36\\b.*")));
    QVERIFY2(rectangle >= 0, qPrintable(sizes.join(u',')));
    QCOMPARE(modules(QStringLiteral("-t datamatrix -d 42 --symbol-size %1").arg(rectangle + 1),
                     QStringLiteral("dm.png")),
             QSize(36, 12));
    QCOMPARE(modules(QStringLiteral("-t datamatrix -d 42 --symbol-size 12x36"), QStringLiteral("dm2.png")),
             QSize(36, 12));
}

void TestCli::numbersAsPrintedDrawTheSameSymbol_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("printed");
    QTest::newRow("EAN-13 with its check digit") << "ean13"
                                                 << "400638133393"
                                                 << "4006381333931";
    QTest::newRow("EAN-13 spaced") << "ean13"
                                   << "400638133393"
                                   << "4 006381 333931";
    QTest::newRow("JAN-13") << "jan13"
                            << "491234567890"
                            << "4912345678904";
    QTest::newRow("ISBN-13 hyphenated") << "isbn"
                                        << "978030640615"
                                        << "978-0-306-40615-7";
    QTest::newRow("ISBN-10") << "isbn"
                             << "978030640615"
                             << "0-306-40615-2";
    QTest::newRow("ISBN-10 ending in X") << "isbn"
                                         << "978080442957"
                                         << "080442957X";
    QTest::newRow("UPC-A with its check digit") << "upca"
                                                << "03600029145"
                                                << "036000291452";
}

// A number as printed draws exactly the symbol of the number as the window
// takes it, in the window's proportions unless asked otherwise.
void TestCli::numbersAsPrintedDrawTheSameSymbol()
{
    QFETCH(QString, type);
    QFETCH(QString, typed);
    QFETCH(QString, printed);
    QTemporaryDir dir;
    const Run window = runProgram({QStringLiteral("-t"), type, QStringLiteral("-d"), typed,
                                   QStringLiteral("-o"), QStringLiteral("typed.png")},
                                  dir.path());
    QVERIFY2(window.status == 0, qPrintable(window.err));
    const Run asPrinted = runProgram({QStringLiteral("-t"), type, QStringLiteral("-d"), printed,
                                      QStringLiteral("--proportions"), QStringLiteral("window"),
                                      QStringLiteral("-o"), QStringLiteral("printed.png")},
                                     dir.path());
    QVERIFY2(asPrinted.status == 0, qPrintable(asPrinted.err));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("printed.png"))),
             readAll(dir.filePath(QStringLiteral("typed.png"))));
}

// The standard proportions are drawn only when asked for: the window's
// geometry stays the default, and the standard's bars are taller for the
// same module width.
void TestCli::standardProportionsAreAskedFor()
{
    QTemporaryDir dir;
    for (const char* proportions : {"", "window", "standard"}) {
        QStringList arguments{
            QStringLiteral("-t"),
            QStringLiteral("ean13"),
            QStringLiteral("-d"),
            QStringLiteral("4006381333931"),
            QStringLiteral("-o"),
            QStringLiteral("%1.png").arg(QLatin1String(*proportions ? proportions : "default"))};
        if (*proportions)
            arguments << QStringLiteral("--proportions") << QString::fromLatin1(proportions);
        const Run run = runProgram(arguments, dir.path());
        QVERIFY2(run.status == 0, qPrintable(run.err));
    }
    QCOMPARE(readAll(dir.filePath(QStringLiteral("window.png"))),
             readAll(dir.filePath(QStringLiteral("default.png"))));
    const QImage window(dir.filePath(QStringLiteral("window.png")));
    const QImage standard(dir.filePath(QStringLiteral("standard.png")));
    QCOMPARE(scan(standard, ZXing::BarcodeFormat::EAN13), QStringLiteral("4006381333931"));
    // The tallest bar against the symbol's width, its digits included: about
    // 0.57 in the window's picture, about 0.73 in the standard's (22.85 mm
    // bars for 31.35 mm of modules).
    const auto guardRatio = [](const QImage& image) {
        const QRect bounds = darkBounds(image);
        int tallest = 0;
        for (int x = bounds.left(); x <= bounds.right(); ++x) {
            const auto [top, bottom] = testing::darkRows(image, x);
            tallest = std::max(tallest, bottom - top + 1);
        }
        return double(tallest) / double(bounds.width());
    };
    QVERIFY2(guardRatio(standard) > 0.68, qPrintable(QString::number(guardRatio(standard))));
    QVERIFY2(guardRatio(window) < 0.62, qPrintable(QString::number(guardRatio(window))));
}

void TestCli::badDataForEachFamily_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    const auto args = [](const char* text) { return QString::fromUtf8(text).split(QLatin1Char('|')); };
    QTest::newRow("EAN-13 check digit") << args("-t|ean13|-d|4006381333935") << "The check digit is 1, not 5";
    QTest::newRow("EAN-13 check digit, standard proportions")
        << args("-t|ean13|-d|4006381333935|--proportions|standard") << "The check digit is 1, not 5";
    QTest::newRow("EAN-13 letter, where")
        << args("-t|ean13|-d|40063813A393") << "EAN-13 takes digits only: 'A' at position 9 is not one";
    QTest::newRow("ISBN-10 check digit")
        << args("-t|isbn|-d|0-306-40615-3|--addon|51299") << "The ISBN-10 check digit is 2, not 3";
    QTest::newRow("JAN-13 prefix") << args("-t|jan13|-d|4612345678904")
                                   << "JAN-13 starts with 45 or 49: this starts with 46";
    QTest::newRow("UPC-A check digit") << args("-t|upca|-d|036000291450") << "The check digit is 2, not 0";
    QTest::newRow("EAN-8 check digit") << args("-t|ean8|-d|96385070") << "The check digit is 4, not 0";
    QTest::newRow("EAN-8 length") << args("-t|ean8|-d|12345")
                                  << "Enter 7 digit number for EAN-8, or 8 with the check digit: 5 given";
    QTest::newRow("UPC-E number system")
        << args("-t|upce|-d|2123456") << "UPC-E starts with 0 or 1: this starts with 2";
    QTest::newRow("UPC-E check digit") << args("-t|upce|-d|01234567") << "The check digit is 5, not 7";
    QTest::newRow("QR Code too long for its size")
        << args("-t|qr|--symbol-size|1|-d|HELLO WORLD 1234567890 ABCDEF") << "";
    QTest::newRow("Data Matrix too long") << QStringList{QStringLiteral("-t"), QStringLiteral("datamatrix"),
                                                         QStringLiteral("-d"), QString(3200, QChar(u'7'))}
                                          << "";
    QTest::newRow("GS1-128 unbalanced bracket") << args("-t|gs1-128|-d|[01]09501101530003[17") << "";
    QTest::newRow("GS1-128 without AIs") << args("-t|gs1-128|-d|09501101530003") << "";
    QTest::newRow("GS1-128 GTIN too short") << args("-t|gs1-128|-d|[01]0950110153000") << "";
    // libzint only warns of a wrong GS1 check digit, and encoded it.
    QTest::newRow("GS1-128 GTIN check digit")
        << args("-t|gs1-128|-d|[01]09501101530004") << "The check digit of AI (01) at position 18 is 3, not 4";
    QTest::newRow("GS1 DataMatrix SSCC check digit")
        << args("-t|gs1-datamatrix|-d|[10]AB[00]106141411234567891")
        << "The check digit of AI (00) at position 28 is 7, not 1";
    QTest::newRow("DataBar letters") << args("-t|databar|-d|ABC") << "";
    QTest::newRow("ITF-14 letters") << args("-t|itf14|-d|12345X") << "";
    QTest::newRow("ITF-14 as printed, one digit too many")
        << args("-t|itf14|-d|1 54 00141 28876 30")
        << "ITF-14 takes 13 digits, or 14 with the check digit; this is 15 digits";
    QTest::newRow("Code 93 beyond ASCII") << args("-t|code93|-d|é") << "";
    QTest::newRow("MaxiCode too long") << QStringList{QStringLiteral("-t"), QStringLiteral("maxicode"),
                                                      QStringLiteral("-d"), QString(200, QChar(u'M'))}
                                       << "";
    QTest::newRow("POSTNET letter") << args("-t|postnet|-d|12A45") << "";
    QTest::newRow("Aztec too long for its size")
        << args("-t|aztec|--symbol-size|1|-d|AZTEC CODE TOO LONG 1234567890") << "";
    QTest::newRow("empty data, QR Code")
        << QStringList{QStringLiteral("-t"), QStringLiteral("qr"), QStringLiteral("-d"), QString()}
        << "Please Type the Barcode Data First";
}

// Bad data is refused in the program's own words, exit 1, no file; never a
// raw library error number.
void TestCli::badDataForEachFamily()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    for (const char* file : {"x.png", "x.svg"}) {
        const Run run =
            runProgram(arguments + QStringList{QStringLiteral("-o"), QString::fromLatin1(file)}, dir.path());
        QCOMPARE(run.status, 1);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(filesIn(dir.path()), QStringList());
        const QString said = run.err.trimmed();
        QVERIFY2(!said.isEmpty() && !said.contains(u'\n'), qPrintable(said));
        if (!message.isEmpty())
            QCOMPARE(said, message);
        static const QRegularExpression raw(QStringLiteral("(error|warning) ?[0-9]{3}|zint|ZINT_"),
                                            QRegularExpression::CaseInsensitiveOption);
        QVERIFY2(!raw.match(said).hasMatch(), qPrintable(said));
    }
}

void TestCli::optionsRefusedWhereTheyDoNotApply_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("add-on to Code 39")
        << "-t code39 --addon 12"
        << "--addon does not apply to Code 39: only EAN-13, JAN-13, ISBN, UPC-A, "
           "EAN-8 and UPC-E take an add-on";
    QTest::newRow("add-on to QR Code") << "-t qr --addon 12"
                                       << "--addon does not apply to QR Code";
    QTest::newRow("add-on of 3 digits") << "-t ean13 --addon 123"
                                        << "--addon takes 2 or 5 digits, not '123'";
    QTest::newRow("add-on of letters") << "-t upce --addon AB"
                                       << "--addon takes 2 or 5 digits, not 'AB'";
    QTest::newRow("ECC to Code 128") << "-t code128 --ecc H"
                                     << "--ecc does not apply to Code 128: it has no error correction level";
    QTest::newRow("ECC to EAN-8") << "-t ean8 --ecc H"
                                  << "--ecc does not apply to EAN-8";
    QTest::newRow("ECC level QR Code has not") << "-t qr --ecc Z"
                                               << "--ecc takes L, M, Q, H for QR Code, not 'Z'";
    QTest::newRow("size to Code 39") << "-t code39 --symbol-size 2"
                                     << "--symbol-size does not apply to Code 39";
    QTest::newRow("size 0") << "-t qr --symbol-size 0"
                            << "--symbol-size takes 1 to 40";
    QTest::newRow("size 41") << "-t qr --symbol-size 41"
                             << "--symbol-size takes 1 to 40";
    QTest::newRow("size by an unknown name") << "-t datamatrix --symbol-size 11x11"
                                             << "not '11x11'";
    QTest::newRow("proportions of Code 39") << "-t code39 --proportions standard"
                                            << "--proportions does not apply to Code 39";
    QTest::newRow("proportions of UPC-E") << "-t upce --proportions standard"
                                          << "--proportions does not apply to UPC-E";
    QTest::newRow("proportions unknown") << "-t ean13 --proportions tall"
                                         << "--proportions takes standard or window, not 'tall'";
    QTest::newRow("add-on in the window's proportions") << "-t isbn --addon 51299 --proportions window"
                                                        << "--proportions window has no add-on";
    QTest::newRow("optimize of QR Code") << "-t qr --no-optimize"
                                         << "--no-optimize does not apply to QR Code";
    QTest::newRow("check of DataBar") << "-t databar --check"
                                      << "--check does not apply to GS1 DataBar";
    QTest::newRow("unknown type") << "-t nosuchcode"
                                  << "unknown type 'nosuchcode'";
}

void TestCli::optionsRefusedWhereTheyDoNotApply()
{
    QFETCH(QString, arguments);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const Run run =
        runProgram(arguments.split(u' ') + QStringList{QStringLiteral("-d"), QStringLiteral("1"),
                                                       QStringLiteral("-o"), QStringLiteral("x.png")},
                   dir.path());
    QCOMPARE(run.status, 2);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()), QStringList());
}

// Every symbology: the window's eight first, then the library's, each once,
// with what it is for and the data it takes, and each taken by -t.
void TestCli::listTypesNamesEverySymbologyOnce()
{
    const Run run = runProgram({QStringLiteral("--list-types")});
    QCOMPARE(run.status, 0);
    QVERIFY(run.err.isEmpty());
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n');
    static const QRegularExpression entry(QStringLiteral("^  ([a-z0-9][a-z0-9-]*) +(\\S.*): (\\S.*)$"));
    QStringList names;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = entry.match(lines.at(i));
        if (!m.hasMatch())
            continue;
        names << m.captured(1);
        QVERIFY2(i + 1 < lines.size() && lines.at(i + 1).trimmed().startsWith(QLatin1String("Data: ")) &&
                     lines.at(i + 1).trimmed().size() > 6,
                 qPrintable(lines.at(i)));
    }
    QCOMPARE(names.mid(0, 8),
             (QStringList{"code39", "itf", "code128", "codabar", "ean13", "jan13", "isbn", "upca"}));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const char* common :
         {"qr",      "microqr", "datamatrix",     "aztec",  "pdf417",  "micropdf417",      "maxicode",
          "dotcode", "gs1-128", "gs1-datamatrix", "gs1-qr", "databar", "databar-expanded", "ean8",
          "upce",    "code93",  "itf14",          "code11", "msi",     "postnet"})
        QVERIFY2(names.contains(QLatin1String(common)), common);
    // Every kind of the library is listed, but for the window's own names.
    qsizetype library = 0;
    for (const zintsym::Kind& k : zintsym::kinds())
        library += k.name && !output::symbologyFromName(QString::fromUtf8(k.name)) ? 1 : 0;
    QCOMPARE(names.size(), 8 + library);
    for (const QString& name : names) {
        const cli::ParsedArguments parsed = cli::parseArguments(
            {QStringLiteral("barcode-generator"), QStringLiteral("-t"), name, QStringLiteral("-d"),
             QStringLiteral("1"), QStringLiteral("-o"), QStringLiteral("x.png")},
            {});
        QVERIFY2(!parsed.refusal, qPrintable(name + QStringLiteral(": ") + parsed.refusal->message));
    }
}

// A batch of a library symbology: every line drawn by the same path, a line
// the symbology refuses reported by its number, the others written and read back.
void TestCli::batchOfALibrarySymbology()
{
    QTemporaryDir dir;
    const QByteArray lines = "[01]09501101530003[17]261231\n[01]095011015\n[01]09501101530003[10]LOT-9\n";
    const Run gs1 =
        runProgram(QString::fromLatin1("-t gs1-128 --batch - -o gs1/{n}.png --verify --quiet").split(u' '),
                   dir.path(), lines);
    QCOMPARE(gs1.status, 1);
    const QStringList reports = gs1.err.split(u'\n').filter(QLatin1String("line "));
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.front().startsWith(QLatin1String("line 2: ")), qPrintable(gs1.err));
    QVERIFY2(gs1.err.contains(QLatin1String("1 of 3 lines not written")), qPrintable(gs1.err));
    QCOMPARE(filesIn(dir.filePath(QStringLiteral("gs1"))), (QStringList{"1.png", "3.png"}));
    QCOMPARE(scan(QImage(dir.filePath(QStringLiteral("gs1/3.png"))), ZXing::BarcodeFormat::Code128),
             QStringLiteral("]C1010950110153000310LOT-9"));

    // EAN numbers as printed, and the window's EAN-13 with an add-on, line by line.
    const Run ean =
        runProgram(QString::fromLatin1("-t isbn --addon 51299 --batch - -o isbn/{n}.svg --quiet").split(u' '),
                   dir.path(), "978-0-306-40615-7\n0-306-40615-3\n0306406152\n");
    QCOMPARE(ean.status, 1);
    QCOMPARE(ean.err.split(u'\n').filter(QLatin1String("line ")),
             QStringList{QStringLiteral("line 2: The ISBN-10 check digit is 2, not 3")});
    QCOMPARE(filesIn(dir.filePath(QStringLiteral("isbn"))), (QStringList{"1.svg", "3.svg"}));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("isbn/1.svg"))),
             readAll(dir.filePath(QStringLiteral("isbn/3.svg"))));
    QCOMPARE(scan(rasterise(dir.filePath(QStringLiteral("isbn/1.svg")), 25.4 / 96 / 3),
                  ZXing::BarcodeFormat::EAN13),
             QStringLiteral("9780306406157 51299"));
}

// Where no decoder reads the symbology the file is written and the user told
// it was not checked, never counted as read; --verify, which writes only what
// was read back, refuses it wherever a file would have been written.
void TestCli::symbologyNoDecoderReads_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("err"); // standard error, line by line
    const QString note = QStringLiteral("barcode-generator: note: Not checked: no decoder reads POSTNET");
    const QString refused = QStringLiteral(
        "%1 not written: Not checked: no decoder reads %2 (--verify writes only symbols that read back)");
    QTest::newRow("one symbol, noted") << "-t postnet -d 12345 -o p.png" << QByteArray() << 0
                                       << QStringList{"p.png"} << QStringList{note};
    QTest::newRow("one symbol, --no-verify, nothing said")
        << "-t postnet -d 12345 -o p.png --no-verify" << QByteArray() << 0 << QStringList{"p.png"}
        << QStringList();
    QTest::newRow("one symbol, --verify")
        << "-t postnet -d 12345 -o p.png --verify" << QByteArray() << 1 << QStringList()
        << QStringList{QStringLiteral("barcode-generator: ") + refused.arg("p.png", "POSTNET")};
    QTest::newRow("a 2D symbol to standard output, --verify")
        << "-t micropdf417 -d 12345 -o - --verify" << QByteArray() << 1 << QStringList()
        << QStringList{QStringLiteral("barcode-generator: ") + refused.arg("-", "MicroPDF417")};
    QTest::newRow("batch, noted once") << "-t postnet --batch - -o b{n}.svg --quiet" << QByteArray("12345\n123456789\n")
                                       << 0 << QStringList{"b1.svg", "b2.svg"} << QStringList{note};
    QTest::newRow("batch, --verify: every line refused")
        << "-t postnet --batch - -o b{n}.svg --quiet --verify" << QByteArray("12345\n123456789\n") << 1
        << QStringList()
        << QStringList{QStringLiteral("line 1: ") + refused.arg("b1.svg", "POSTNET"),
                       QStringLiteral("line 2: ") + refused.arg("b2.svg", "POSTNET"),
                       QStringLiteral("barcode-generator: 2 of 2 lines not written")};
    QTest::newRow("sheet, written") << "--sheet Avery_5160 -t postnet -d 12345 -o s.pdf" << QByteArray() << 0
                                    << QStringList{"s.pdf"} << QStringList();
    QTest::newRow("sheet, --verify")
        << "--sheet Avery_5160 -t postnet -d 12345 -o s.pdf --verify" << QByteArray() << 1 << QStringList()
        << QStringList{QStringLiteral("barcode-generator: ") + refused.arg("s.pdf", "POSTNET")};
}

void TestCli::symbologyNoDecoderReads()
{
    QFETCH(QString, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QStringList, files);
    QFETCH(QStringList, err);
    const zintsym::Kind* postnet = zintsym::kindNamed(u"postnet");
    QVERIFY(postnet && !postnet->decoder);
    QTemporaryDir dir;
    QStringList words = arguments.split(u' ');
    words.replaceInStrings(QStringLiteral("Avery_5160"), QStringLiteral("Avery 5160"));
    const Run run = runProgram(words, dir.path(), input);
    QCOMPARE(run.status, status);
    QCOMPARE(run.err.split(u'\n', Qt::SkipEmptyParts), err);
    QCOMPARE(filesIn(dir.path()), files);
    if (!files.isEmpty() || words.contains(QStringLiteral("-")))
        return;
    QVERIFY(run.out.isEmpty());
}

// --no-label is the one box a symbology of the library's takes: its
// human-readable text left out, the symbol the same and still read.
void TestCli::noLabelLeavesOutALibrarySymbolsText()
{
    QTemporaryDir dir;
    for (const char* file : {"text.png", "none.png"}) {
        QStringList arguments = QString::fromLatin1("-t upce -d 01234565 -o").split(u' ')
                                << QString::fromLatin1(file);
        if (QLatin1String(file) == QLatin1String("none.png"))
            arguments << QStringLiteral("--no-label");
        const Run run = runProgram(arguments, dir.path());
        QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(run.err));
    }
    const QImage text(dir.filePath(QStringLiteral("text.png")));
    const QImage none(dir.filePath(QStringLiteral("none.png")));
    QCOMPARE(scan(none, ZXing::BarcodeFormat::UPCE), QStringLiteral("01234565"));
    // The digits stand beside the guards and under the bars: without them the
    // dark pixels are the bars alone, narrower and no taller.
    QVERIFY(darkBounds(none).width() < darkBounds(text).width());
    QVERIFY(darkBounds(none).height() <= darkBounds(text).height());
}

void TestCli::sheetFromCsvPrintsTheGoodLinesAndReportsTheBad()
{
    QTemporaryDir dir;
    const QByteArray csv = "sku,name\r\n"
                           "501234567890,\"Bolt, M6\"\r\n"
                           "\r\n"
                           "50123X,Nut\r\n"
                           "400638133393,Washer\r\n";
    QVERIFY(testing::writeFile(dir.filePath(QStringLiteral("stock.csv")), csv));
    const Run run =
        runProgram({"-t", "ean13", "--sheet", "avery l7160", "--batch", "stock.csv", "--csv", "--header",
                    "--column", "sku", "--caption-column", "name", "--first-label", "3", "-o", "labels.pdf"},
                   dir.path());
    // The bad line is said and fails the run; the others are printed.
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QLatin1String("Line 4: ")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QLatin1String("its label is left empty")), qPrintable(run.err));
    const QImage page = rasterise(dir.filePath(QStringLiteral("labels.pdf")), 0.1);
    QVERIFY(!page.isNull());
    // Avery L7160: labels 63.994 x 38.1 mm, 3 across from 7.2 mm, 15.15 mm down.
    const auto label = [&](int n) {
        const int column = n % 3, row = n / 3;
        return page.copy(QRectF((7.2 + column * 66.5) * 10, (15.15 + row * 38.1) * 10, 639, 381).toRect());
    };
    QVERIFY(!testing::anyDark(label(1), label(1).rect()));
    QCOMPARE(testing::decode(label(2), ZXing::BarcodeFormat::EAN13, 1), std::string("5012345678900"));
    QVERIFY(!testing::anyDark(label(3), label(3).rect()));
    QCOMPARE(testing::decode(label(4), ZXing::BarcodeFormat::EAN13, 1), std::string("4006381333931"));
}

void TestCli::sheetCsvColumnBeyondTheFile_data()
{
    // A column the file does not have is one refusal before any page; a
    // record narrower than the others is its own line's message.
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("message"); // the one line said
    QTest::addColumn<bool>("written");
    QTest::newRow("beyond the header") << QByteArray("sku,name\nA1,a\nA2,b\nA3,c\n") << "--header --column 3"
                                       << "Column 3 does not exist: the header row has 2 columns (sku, name)."
                                       << false;
    QTest::newRow("beyond the first record")
        << QByteArray("A1\nA2\nA3\n") << "--column 2" << "Column 2 does not exist: the first record (line 1) has 1 column."
        << false;
    QTest::newRow("one record narrower") << QByteArray("x,A1\ny\nz,A3\n") << "--column 2"
                                         << "Line 2 has 1 column, no column 2." << true;
    // So is a record that is not UTF-8, in any of its columns.
    QTest::newRow("one record not UTF-8") << QByteArray("sku,name\nA1,a\nA2,b\xff\nA3,c\n") << "--header --column sku"
                                          << "Line 3: Invalid UTF-8 at byte 5: the data must be UTF-8 text" << true;
}

void TestCli::sheetCsvColumnBeyondTheFile()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, options);
    QFETCH(QString, message);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const Run run = runProgram(QStringList{"-t", "code128", "--sheet", "avery l7160", "--batch", "-", "--csv",
                                           "-o", "labels.pdf"} +
                                   options.split(u' '),
                               dir.path(), csv);
    QCOMPARE(run.status, 1);
    const QStringList said = run.err.trimmed().split(u'\n');
    QCOMPARE(said.size(), 1);
    QVERIFY2(said.front().endsWith(message), qPrintable(run.err));
    QCOMPARE(filesIn(dir.path()), written ? QStringList{"labels.pdf"} : QStringList());
}

void TestCli::sheetNamesTheLabelThatDoesNotRead_data()
{
    QTest::addColumn<bool>("verify");
    QTest::newRow("a warning") << false;
    QTest::newRow("--verify refuses the sheet") << true;
}

void TestCli::sheetNamesTheLabelThatDoesNotRead()
{
    QFETCH(bool, verify);
    QTemporaryDir dir;
    // Interleaved 2 of 5 of two digits is drawn, but decoders refuse it.
    QStringList arguments{
        "-t", "itf", "--custom-sheet", "page=A4,label=60x30,grid=3x2,first=10x10,pitch=62x32", "--batch",
        "-",  "-o",  "itf.pdf"};
    if (verify)
        arguments << QStringLiteral("--verify");
    const Run run = runProgram(arguments, dir.path(), "123456\n654321\n112233\n445566\n12\n");
    QCOMPARE(run.status, verify ? 1 : 0);
    QVERIFY2(
        run.err.contains(QLatin1String("Page 1, row 2, column 2 (line 5): Not read by a standard decoder")),
        qPrintable(run.err));
    QCOMPARE(QFile::exists(dir.filePath(QStringLiteral("itf.pdf"))), !verify);
    if (verify)
        QCOMPARE(filesIn(dir.path()), QStringList());
}

void TestCli::listSheets_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("line"); // a line of the list, or of the error
    QTest::newRow("by part")
        << QStringList{"--list-sheets", "5160"} << 0
        << "Avery 5160: Address Labels, US Letter, 66.675 x 25.4 mm labels 3 x 10 (30 a page)";
    QTest::newRow("an equivalent says so")
        << QStringList{"--list-sheets", "avery", "8160"} << 0 << ", as Avery 5160";
    QTest::newRow("nothing matches") << QStringList{"--list-sheets", "no-such-label"} << 1
                                     << "no label product matches 'no-such-label'";
}

void TestCli::listSheets()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, line);
    const Run run = runProgram(arguments);
    QCOMPARE(run.status, status);
    QVERIFY2((QString::fromUtf8(run.out) + run.err).contains(line), qPrintable(run.err));
}

// A sheet's labels are drawn through the same choice as a file: a library
// symbology fills them, a wrong check digit leaves its label empty.
void TestCli::sheetTakesALibrarySymbology()
{
    QTemporaryDir dir;
    const Run run =
        runProgram(QStringList{QStringLiteral("-t"), QStringLiteral("datamatrix"), QStringLiteral("--sheet"),
                               QStringLiteral("Avery 5160"), QStringLiteral("-d"), QStringLiteral("BIN-12"),
                               QStringLiteral("-o"), QStringLiteral("bins.pdf")},
                   dir.path());
    QVERIFY2(run.status == 0, qPrintable(run.err));
    const QImage page = rasterise(dir.filePath(QStringLiteral("bins.pdf")), 25.4 / 300);
    QVERIFY(!page.isNull());
    // The first label, top left: the page's other labels stay empty.
    QCOMPARE(scan(page.copy(0, 0, page.width() / 3, page.height() / 8), ZXing::BarcodeFormat::DataMatrix),
             QStringLiteral("BIN-12"));
    const Run bad =
        runProgram(QStringList{QStringLiteral("-t"), QStringLiteral("ean8"), QStringLiteral("--sheet"),
                               QStringLiteral("Avery 5160"), QStringLiteral("-d"), QStringLiteral("96385070"),
                               QStringLiteral("-o"), QStringLiteral("bad.pdf")},
                   dir.path());
    QCOMPARE(bad.status, 1);
    QVERIFY2(bad.err.contains(QLatin1String("The check digit is 4, not 0")), qPrintable(bad.err));
    QVERIFY(!filesIn(dir.path()).contains(QStringLiteral("bad.pdf")));
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
