// Copy, save, the label font list, the link, and the EAN code-set display,
// save and print.
#include "support/TestSupport.h"

#include "ean/EanModules.h"
#include "output/SaveFile.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <csignal>
#include <sys/resource.h>

using testing::select;
using testing::Window;

namespace {

QImage clipboardImage()
{
    return qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace

class TestOutput : public QObject {
    Q_OBJECT
  private slots:
    void copyPutsTheShownSurface_data();
    void copyPutsTheShownSurface();
    void copyAndSaveNeedInput();
    void copyAndSaveNeverExportAnEarlierNumber_data();
    void copyAndSaveNeverExportAnEarlierNumber();
    void saveWritesTheBitmapAfterOk();
    void cancelWritesNothing();
    void unsafeCharactersBecomeUnderscores();
    void failedSaveKeepsTheOldFile();
    void fileNamesHoldNoForbiddenCharacter();
    void fontChoiceRelabelsAllPictures();
    void linkOpensTheAddressAndReactsToTheMouse();
    void resetImagesClearsUpc();
    void moduleDisplay_data();
    void moduleDisplay();
    void eanViewCommandMessages();
    void eanSaveWritesIntoTheProgramFolder();
    void eanPrintsOnePage();
    void failingPrinterReportsOnce();
    void copyOffersTheSameSymbolAsSvg_data();
    void copyOffersTheSameSymbolAsSvg();
    void bitmapsCarry96Dpi();
};

void TestOutput::copyPutsTheShownSurface_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("enter");
    QTest::newRow("Code 128 by button") << "Code 128"
                                        << "Hello" << false;
    QTest::newRow("Code 39 by Enter") << "Code 39"
                                      << "HELLO" << true;
    QTest::newRow("EAN-13") << "EAN-13"
                            << "123456789012" << false;
    QTest::newRow("UPC-A by Enter") << "UPC-A"
                                    << "09736339584" << true;
}

void TestOutput::copyPutsTheShownSurface()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(bool, enter);
    Window w;
    w->show();
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    QGuiApplication::clipboard()->setText(QStringLiteral("old"));
    if (enter)
        QTest::keyClick(w->Text1, Qt::Key_Return);
    else
        w->Command1->click();
    const draw::Surface& shown = testing::drawnOn(w.w.get(), symbology);
    QVERIFY(shown.Visible());
    QVERIFY(testing::samePixels(clipboardImage(), shown.Image()));
    QVERIFY(!QGuiApplication::clipboard()->mimeData()->hasText()); // emptied first
    QVERIFY(w.platform->messages.empty());
}

void TestOutput::copyAndSaveNeedInput()
{
    QTemporaryDir dir;
    Window w(dir.path());
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    QTest::keyClick(w->Text1, Qt::Key_Return);
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(2));
    for (const testing::Message& m : w.platform->messages) {
        QCOMPARE(m.text, QStringLiteral("Please Type the Barcode Data First"));
        QCOMPARE(m.icon, QMessageBox::NoIcon);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestOutput::copyAndSaveNeverExportAnEarlierNumber_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("complete");
    QTest::addColumn<QString>("incomplete");
    QTest::addColumn<QString>("hint");
    QTest::newRow("EAN-13 short") << "EAN-13"
                                  << "123456789012"
                                  << "12345678901"
                                  << "Enter 12 digit number for EAN-13";
    QTest::newRow("EAN-13 letter") << "EAN-13"
                                   << "123456789012"
                                   << "12345678901X"
                                   << "Enter 12 digit number for EAN-13";
    QTest::newRow("UPC-A letter") << "UPC-A"
                                  << "09736339584"
                                  << "0973633958X"
                                  << "Enter 11 digit number for UPC-A";
}

void TestOutput::copyAndSaveNeverExportAnEarlierNumber()
{
    QFETCH(QString, symbology);
    QFETCH(QString, complete);
    QFETCH(QString, incomplete);
    QFETCH(QString, hint);
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), symbology);
    w->Text1->setText(complete);
    w->Text1->setText(incomplete);
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    w->Command1->click();
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(2));
    QCOMPARE(w.platform->messages[0].text, hint);
    QCOMPARE(w.platform->messages[1].text, hint);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("kept"));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

void TestOutput::saveWritesTheBitmapAfterOk()
{
    QTemporaryDir dir;
    Window w(dir.path());
    struct Case {
        const char* symbology;
        const char* input;
        ZXing::BarcodeFormat format;
        const char* decoded;
    };
    const Case cases[] = {
        {"Code 128", "Label 42", ZXing::BarcodeFormat::Code128, "Label 42"},
        {"EAN-13", "123456789012", ZXing::BarcodeFormat::EAN13, "1234567890128"},
        {"UPC-A", "09736339584", ZXing::BarcodeFormat::UPCA, "097363395843"},
    };
    for (const Case& c : cases) {
        select(w.w.get(), QString::fromLatin1(c.symbology));
        w->Text1->setText(QString::fromLatin1(c.input));
        w.platform->messages.clear();
        w->Command4->click();
        const QString path =
            QDir(dir.path()).filePath(QStringLiteral("TSL_%1.bmp").arg(QLatin1String(c.input)));
        QCOMPARE(w.platform->messages.size(), size_t(1));
        const testing::Message& ask = w.platform->messages.front();
        QCOMPARE(ask.title, QStringLiteral("File Save"));
        QCOMPARE(ask.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(ask.text, QStringLiteral("Do you want to save the barcode image of %1 as %2")
                               .arg(QLatin1String(c.input), QDir::toNativeSeparators(path)));
        QCOMPARE(readAll(path).left(2), QByteArray("BM"));
        QImage saved(path, "BMP");
        const draw::Surface& shown = testing::drawnOn(w.w.get(), QString::fromLatin1(c.symbology));
        QVERIFY(testing::samePixels(saved, shown.Image()));
        QCOMPARE(QString::fromStdString(testing::decode(saved, c.format)), QString::fromLatin1(c.decoded));
    }
}

void TestOutput::cancelWritesNothing()
{
    QTemporaryDir dir;
    Window w(dir.path());
    w->Text1->setText(QStringLiteral("ABC"));
    w.platform->answers = {QMessageBox::Cancel};
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void TestOutput::unsafeCharactersBecomeUnderscores()
{
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QStringLiteral("../a/b:c"));
    w->Command4->click();
    const QString expected = QDir(dir.path()).filePath(QStringLiteral("TSL_.._a_b_c.bmp"));
    QVERIFY(w.platform->messages.front().text.endsWith(QDir::toNativeSeparators(expected)));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("TSL_.._a_b_c.bmp")});
}

void TestOutput::failedSaveKeepsTheOldFile()
{
    QTemporaryDir dir;
    Window w(dir.path());
    w->Text1->setText(QStringLiteral("OLD"));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("TSL_OLD.bmp"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("previous contents");
    old.close();

    // A full disk: every write beyond a few bytes fails.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &tiny);
    w->Command4->click();
    setrlimit(RLIMIT_FSIZE, &saved);
    QCOMPARE(w.platform->messages.size(), size_t(2));
    QCOMPARE(w.platform->messages[1].icon, QMessageBox::Warning);
    QVERIFY(w.platform->messages[1].text.startsWith(QStringLiteral("The barcode image was not saved as ")));
    QCOMPARE(readAll(path), QByteArray("previous contents"));

    // A directory where the file must go.
    w->Text1->setText(QStringLiteral("DIR"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("TSL_DIR.bmp")));
    w.platform->messages.clear();
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(2));
    QVERIFY(w.platform->messages[1].text.startsWith(QStringLiteral("The barcode image was not saved as ")));
    QVERIFY(QFileInfo(QDir(dir.path()).filePath(QStringLiteral("TSL_DIR.bmp"))).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("TSL_OLD.bmp")});
}

void TestOutput::fileNamesHoldNoForbiddenCharacter()
{
    QString all;
    for (char16_t c = 0; c < 128; ++c)
        all += QChar(c);
    const QString safe = output::safeFileName(all);
    QCOMPARE(safe.size(), all.size());
    for (const QChar c : safe) {
        QVERIFY(c.unicode() >= 0x20 && c.unicode() != 0x7F);
        QVERIFY(!QStringLiteral("/\\:*?\"<>|").contains(c));
    }
    QCOMPARE(output::safeFileName(QStringLiteral("AB CD")), QStringLiteral("AB CD"));
}

void TestOutput::fontChoiceRelabelsAllPictures()
{
    Window w;
    w->Text1->setText(QStringLiteral("FONT"));
    const QImage before = w->Picture1().Image();
    // A serif face if the machine has one, so the label visibly changes.
    auto items = w->List1->findItems(QStringLiteral("DejaVu Serif"), Qt::MatchExactly);
    if (items.isEmpty())
        items = w->List1->findItems(QStringLiteral("Serif"), Qt::MatchContains);
    QVERIFY(!items.isEmpty());
    const QString family = items.front()->text();
    w->List1->setCurrentItem(items.front());
    w->List1_Click();
    QCOMPARE(w->FontB->text(), family);
    for (const draw::Surface* s : {&w->Picture1(), &w->picUPC(), &w->picEan()})
        QCOMPARE(s->Font().family(), family);
    QCOMPARE(w->Picture1().Font().pointSizeF(), 14.25);
    QCOMPARE(w->picUPC().Font().pointSizeF(), 9.75);
    const QImage after = w->Picture1().Image();
    // Same bars, other label.
    QCOMPARE(after.copy(0, 0, after.width(), 50), before.copy(0, 0, before.width(), 50));
    QVERIFY(after != before);
}

void TestOutput::linkOpensTheAddressAndReactsToTheMouse()
{
    Window w;
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    QTest::mouseClick(reinterpret_cast<QWidget*>(w->LblLink), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(BarcodeGenerator::kLinkAddress)});
    QCOMPARE(reinterpret_cast<QLabel*>(w->LblLink)->text(), QUrl(BarcodeGenerator::kLinkAddress).host());
    w->LblLink_MouseMove();
    QLabel* link = reinterpret_cast<QLabel*>(w->LblLink);
    QVERIFY(link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    w->Form_MouseMove();
    QVERIFY(!link->font().underline());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 0));
}

void TestOutput::resetImagesClearsUpc()
{
    Window w;
    w->cmdClear_Click(); // harmless before anything is drawn
    select(w.w.get(), QStringLiteral("UPC-A"));
    w->Text1->setText(QStringLiteral("09736339584"));
    QCOMPARE(w->R[5]->text(), QStringLiteral("3"));
    w->cmdClear_Click();
    QVERIFY(!testing::anyDark(w->picUPC().Image(), w->picUPC().Image().rect()));
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(w->L[i]->text(), QStringLiteral("0"));
        QCOMPARE(w->R[i]->text(), QStringLiteral("0"));
    }
}

void TestOutput::moduleDisplay_data()
{
    QTest::addColumn<int>("start");
    QTest::newRow("set A 0-4") << 0;
    QTest::newRow("set A 8-9, set B 0-2") << 8;
    QTest::newRow("set C 5-9") << 25;
}

void TestOutput::moduleDisplay()
{
    QFETCH(int, start);
    Window w;
    w->EanViewCommand(0);
    QVERIFY(!w->Scroll1->isHidden());
    QCOMPARE(w->Scroll1->maximum(), 25);
    w->Scroll1->setValue(start);
    const QImage image = w->picEan().Image();
    for (int r = 0; r < 5; ++r) {
        const int m = start + r;
        const int set = m / 10;
        const char* pattern = ean::eanPattern(set, m % 10);
        // Cell k spans 60 + 5k .. 65 + 5k; rows 16r + 2 .. 16r + 14 units.
        const int y = w->picEan().toPixelY(16 * r + 8);
        for (int k = 0; k < 7; ++k) {
            const QRgb cell = image.pixel(62 + 5 * k, y);
            QCOMPARE(cell, pattern[k] == '1' ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            QCOMPARE(image.pixel(60 + 5 * k, y), qRgb(0xE0, 0xE0, 0xE0)); // light grey outline
        }
        // The caption stands left of the cells.
        QVERIFY(testing::anyDark(image, QRect(0, w->picEan().toPixelY(16 * r + 3), 55, 8)));
    }
}

void TestOutput::eanViewCommandMessages()
{
    Window w;
    w->EanViewCommand(2);
    w->EanViewCommand(4);
    QVERIFY(w.platform->messages.empty());
    w->EanViewCommand(3);
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QCOMPARE(w.platform->messages[0].text, QStringLiteral("Not yet implemented."));
    QCOMPARE(w.platform->messages[0].icon, QMessageBox::Information);
    w->EanViewCommand(1);
    w->EanFileCommand(1);
    w->EanFileCommand(2);
    QCOMPARE(w.platform->messages.size(), size_t(3));
    QCOMPARE(w.platform->messages[1].text, QStringLiteral("Nothing to save!"));
    QCOMPARE(w.platform->messages[2].text, QStringLiteral("No bar code to print!"));
    QCOMPARE(w.platform->messages[2].icon, QMessageBox::Warning);
}

void TestOutput::eanSaveWritesIntoTheProgramFolder()
{
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), QStringLiteral("EAN-13"));
    w->Text1->setText(QStringLiteral("123456789012"));
    for (int i = 0; i < 2; ++i) // the second save replaces the first
        w->EanFileCommand(1);
    const QString path = QDir(dir.path()).filePath(QStringLiteral("EAN-1234567890128.bmp"));
    QCOMPARE(w.platform->messages.size(), size_t(2));
    QCOMPARE(w.platform->messages[1].text,
             QStringLiteral("Ean saved as: \"%1\"").arg(QDir::toNativeSeparators(path)));
    QVERIFY(testing::samePixels(QImage(path), w->picEan().Image()));
    // A failed save says so and keeps the old file.
    const QByteArray before = readAll(path);
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("EAN-4512345678906.bmp")));
    w->Option7->click();
    w->Text1->setText(QStringLiteral("451234567890"));
    w->EanFileCommand(1);
    QVERIFY(w.platform->messages.back().text.startsWith(QStringLiteral("The EAN image was not saved")));
    QCOMPARE(readAll(path), before);
}

void TestOutput::eanPrintsOnePage()
{
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), QStringLiteral("EAN-13"));
    w->Text1->setText(QStringLiteral("123456789012"));
    w->EanFileCommand(2);
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("print.pdf"));
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QCOMPARE(w.platform->messages[0].text, QStringLiteral("Printing EAN Code: 1234567890128\r\nna ") + pdf);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY(info.waitForFinished());
    const QString pages = QString::fromLatin1(info.readAllStandardOutput());
    QVERIFY2(QRegularExpression(QStringLiteral("Pages:\\s+1\\n")).match(pages).hasMatch(), qPrintable(pages));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished());
    QVERIFY(text.readAllStandardOutput().contains("EAN 13 Code: 1234567890128"));
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("288"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), pdf, QDir(dir.path()).filePath(QStringLiteral("page"))});
    QVERIFY(render.waitForFinished());
    const QImage page(QDir(dir.path()).filePath(QStringLiteral("page.png")));
    QVERIFY(!page.isNull());
    // The symbol at (200, 1600) twips: 40, 320 pixels at 288 dots per inch.
    const QImage symbol =
        page.copy(0, 250, 600, 400).scaled(200, 133, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QCOMPARE(QString::fromStdString(testing::decode(symbol, ZXing::BarcodeFormat::EAN13)),
             QStringLiteral("1234567890128"));
}

void TestOutput::failingPrinterReportsOnce()
{
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), QStringLiteral("EAN-13"));
    w->Text1->setText(QStringLiteral("123456789012"));
    w.platform->brokenPrinter = true;
    w->EanFileCommand(2);
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QVERIFY(w.platform->messages[0].text.startsWith(QStringLiteral("Chyba tisku: ")));
    QVERIFY(w.platform->messages[0].title.startsWith(QStringLiteral("Chyba: ")));
    QCOMPARE(w.platform->messages[0].icon, QMessageBox::Warning);
}

void TestOutput::copyOffersTheSameSymbolAsSvg_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<QString>("label");
    QTest::newRow("Code 128") << "Code 128"
                              << "Hello, SVG" << int(ZXing::BarcodeFormat::Code128) << "Hello, SVG"
                              << "Hello, SVG";
    QTest::newRow("Code 39") << "Code 39"
                             << "VECTOR-39" << int(ZXing::BarcodeFormat::Code39) << "VECTOR-39"
                             << "VECTOR-39";
    QTest::newRow("EAN-13") << "EAN-13"
                            << "123456789012" << int(ZXing::BarcodeFormat::EAN13) << "1234567890128"
                            << " 8 ";
    QTest::newRow("UPC-A") << "UPC-A"
                           << "09736339584" << int(ZXing::BarcodeFormat::UPCA) << "097363395843"
                           << "3";
}

void TestOutput::copyOffersTheSameSymbolAsSvg()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(int, format);
    QFETCH(QString, decoded);
    QFETCH(QString, label);
    Window w;
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    w->Command1->click();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->hasImage());
    const QByteArray svg = data->data(QStringLiteral("image/svg+xml"));
    QVERIFY(!svg.isEmpty());

    // Bars are rectangles, the label is text, and the picture's pixels are the
    // user units.
    QXmlStreamReader xml(svg);
    int rects = 0;
    QStringList texts;
    QString viewBox;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"svg")
            viewBox = xml.attributes().value(QStringLiteral("viewBox")).toString();
        else if (xml.name() == u"rect")
            ++rects;
        else if (xml.name() == u"text")
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    QVERIFY(!xml.hasError());
    const draw::Surface& shown = testing::drawnOn(w.w.get(), symbology);
    const QImage image = shown.Image();
    QCOMPARE(viewBox, QStringLiteral("0 0 %1 %2").arg(image.width()).arg(image.height()));
    QVERIFY(rects > 10);
    QVERIFY2(texts.contains(label), qPrintable(texts.join(u'|')));

    // Rendered at 1 and at 3 pixels a module, it scans as the bitmap does.
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    for (const int scale : {1, 3}) {
        QImage raster(image.size() * scale, QImage::Format_RGB32);
        raster.fill(Qt::white);
        QPainter p(&raster);
        renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(raster.size())));
        p.end();
        QCOMPARE(QString::fromStdString(testing::decode(raster, ZXing::BarcodeFormat(format))), decoded);
        if (scale == 1) {
            // The same modules as the bitmap, column for column.
            QCOMPARE(testing::darkColumns(raster, 20), testing::darkColumns(image, 20));
        }
    }
}

void TestOutput::bitmapsCarry96Dpi()
{
    QTemporaryDir dir;
    Window w(dir.path());
    w->Text1->setText(QStringLiteral("DPI"));
    w->Command4->click();
    const QByteArray bmp = readAll(QDir(dir.path()).filePath(QStringLiteral("TSL_DPI.bmp")));
    QVERIFY(bmp.size() > 54);
    // BITMAPINFOHEADER: horizontal and vertical resolution in pixels per metre.
    const auto le32 = [&](int at) {
        return quint32(quint8(bmp[at])) | quint32(quint8(bmp[at + 1])) << 8 |
               quint32(quint8(bmp[at + 2])) << 16 | quint32(quint8(bmp[at + 3])) << 24;
    };
    QCOMPARE(le32(38), 3780u);
    QCOMPARE(le32(42), 3780u);
    w->Command1->click();
    QCOMPARE(clipboardImage().dotsPerMeterX(), 3780);
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
