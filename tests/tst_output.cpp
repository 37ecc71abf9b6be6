// Copy, save, the label font list, the link, and the EAN code-set display,
// save and print.
#include "support/TestSupport.h"

#include "app/LinkLabel.h"
#include "app/QtPlatform.h"
#include "ean/EanModules.h"
#include "formats/Format.h"
#include "formats/SaveFile.h"
#include "jobs/BatchRunner.h"
#include "jobs/Fonts.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

#include <climits>
#include <csignal>
#include <cstring>
#include <malloc.h>
#include <new>
#include <sys/resource.h>
#include <sys/stat.h>

using testing::readAll;
using testing::select;
using testing::Window;
using testing::writeFile;

namespace {

QImage clipboardImage()
{
    return qvariant_cast<QImage>(QGuiApplication::clipboard()->mimeData()->imageData());
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
    void unsafeCharactersBecomeUnderscores_data();
    void unsafeCharactersBecomeUnderscores();
    void failedSaveKeepsTheOldFile();
    void fileNamesHoldNoForbiddenCharacter();
    void directionControlsBecomeUnderscores_data();
    void directionControlsBecomeUnderscores();
    void saveReplacesALinkNeverItsTarget_data();
    void saveReplacesALinkNeverItsTarget();
    void keepingSaveNeverReplaces_data();
    void keepingSaveNeverReplaces();
    void droppedStagedFileLeavesNothing();
    void batchLineOutOfMemoryIsRefusedAlone();
    void batchNeverHoldsALongLineWhole();
    void saveSaysWhenTheFolderIsGone_data();
    void saveSaysWhenTheFolderIsGone();
    void saveRefusesANameTooLongAtOnce_data();
    void saveRefusesANameTooLongAtOnce();
    void saveQuestionFitsTheScreen();
    void fontListIsTheTestFontsOnly();
    void exportFilterShowsEveryFileOfItsFormat();
    void fontChoiceRelabelsAllPictures();
    void fontChoiceByKeyboard_data();
    void fontChoiceByKeyboard();
    void linkHoverFollowsTheMouse_data();
    void linkHoverFollowsTheMouse();
    void linkOpensByMouseAndKeyboard_data();
    void linkOpensByMouseAndKeyboard();
    void resetImagesClearsUpc();
    void moduleDisplay_data();
    void moduleDisplay();
    void eanViewCommandMessages();
    void eanSaveWritesIntoTheProgramFolder();
    void eanPrintsOnePage();
    void failingPrinterReportsOnce();
    void eanPrintToAFullDiskKeepsTheOldFile();
    void copyOffersTheSameSymbolAsSvg_data();
    void copyOffersTheSameSymbolAsSvg();
    void clipboardSvgIsWellFormed_data();
    void clipboardSvgIsWellFormed();
    void clipboardSvgIsWrittenOnlyWhenAskedFor();
    void clipboardAndExportWriteOneSvg_data();
    void clipboardAndExportWriteOneSvg();
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

void TestOutput::unsafeCharactersBecomeUnderscores_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("shown"); // the input as the question shows it
    QTest::addColumn<QString>("fileName");
    QTest::newRow("separators") << "../a/b:c"
                                << "../a/b:c"
                                << "TSL_.._a_b_c.bmp";
    // Listed as "TSL_pmb.exe.CBA" if the override reached the name.
    QTest::newRow("right-to-left override") << QStringLiteral("\u202EABC.exe") << "_ABC.exe"
                                            << "TSL__ABC.exe.bmp";
    QTest::newRow("isolate and marks") << QStringLiteral("\u2067A\u200FB\u2069") << "_A_B_"
                                       << "TSL__A_B_.bmp";
}

void TestOutput::unsafeCharactersBecomeUnderscores()
{
    QFETCH(QString, input);
    QFETCH(QString, shown);
    QFETCH(QString, fileName);
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(input);
    w.platform->messages.clear();
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QCOMPARE(w.platform->messages.front().text,
             QStringLiteral("Do you want to save the barcode image of %1 as %2")
                 .arg(shown, QDir::toNativeSeparators(QDir(dir.path()).filePath(fileName))));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{fileName});
}

void TestOutput::failedSaveKeepsTheOldFile()
{
    QTemporaryDir dir;
    Window w(dir.path());
    w->Text1->setText(QStringLiteral("OLD"));
    const QString path = QDir(dir.path()).filePath(QStringLiteral("TSL_OLD.bmp"));
    QVERIFY(writeFile(path, "previous contents"));

    // A full disk: every write beyond a few bytes fails.
    {
        const testing::TinyFileLimit full;
        w->Command4->click();
    }
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

    // No temporary file is left behind by any of the failures.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("TSL_OLD.bmp")});
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

void TestOutput::directionControlsBecomeUnderscores_data()
{
    // Each range's ends and the code units just outside them.
    QTest::addColumn<char16_t>("unit");
    QTest::addColumn<bool>("replaced");
    QTest::newRow("U+061B kept") << char16_t(0x061B) << false;
    QTest::newRow("U+061C arabic letter mark") << char16_t(0x061C) << true;
    QTest::newRow("U+200D kept") << char16_t(0x200D) << false;
    QTest::newRow("U+200E left-to-right mark") << char16_t(0x200E) << true;
    QTest::newRow("U+200F right-to-left mark") << char16_t(0x200F) << true;
    QTest::newRow("U+2010 kept") << char16_t(0x2010) << false;
    QTest::newRow("U+2029 kept") << char16_t(0x2029) << false;
    QTest::newRow("U+202A left-to-right embedding") << char16_t(0x202A) << true;
    QTest::newRow("U+202E right-to-left override") << char16_t(0x202E) << true;
    QTest::newRow("U+202F kept") << char16_t(0x202F) << false;
    QTest::newRow("U+2065 kept") << char16_t(0x2065) << false;
    QTest::newRow("U+2066 left-to-right isolate") << char16_t(0x2066) << true;
    QTest::newRow("U+2069 pop directional isolate") << char16_t(0x2069) << true;
    QTest::newRow("U+206A kept") << char16_t(0x206A) << false;
}

void TestOutput::directionControlsBecomeUnderscores()
{
    QFETCH(char16_t, unit);
    QFETCH(bool, replaced);
    const QString text = QStringLiteral("A") + QChar(unit) + QStringLiteral("B");
    const QString expected = replaced ? QStringLiteral("A_B") : text;
    QCOMPARE(output::safeFileName(text), expected);
    QCOMPARE(output::withoutDirectionControls(text), expected);
}

void TestOutput::keepingSaveNeverReplaces_data()
{
    QTest::addColumn<QString>("inTheWay"); // what stands at the path, if anything
    QTest::newRow("nothing") << "";
    QTest::newRow("a file") << "file";
    QTest::newRow("a dangling link") << "link";
    QTest::newRow("a folder") << "folder";
}

// The no-overwrite save of the command line and batches: the name is taken or
// not in one step, and whatever stands there stays as it was.
void TestOutput::keepingSaveNeverReplaces()
{
    QFETCH(QString, inTheWay);
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("out.png"));
    if (inTheWay == u"file") {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    }
    if (inTheWay == u"link")
        QVERIFY(QFile::link(QStringLiteral("nowhere"), path));
    if (inTheWay == u"folder")
        QVERIFY(QDir(root.path()).mkdir(QStringLiteral("out.png")));
    const output::SaveResult result = output::saveBytes("new", path, {.keepExisting = true});
    const QStringList left =
        QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    QCOMPARE(left, QStringList{QStringLiteral("out.png")}); // no temporary file beside it
    if (inTheWay.isEmpty()) {
        QVERIFY(result.saved && !result.existed);
        QCOMPARE(readAll(path), QByteArray("new"));
        return;
    }
    QVERIFY(!result.saved);
    QVERIFY(result.existed);
    QVERIFY2(result.error.isEmpty(), qPrintable(result.error));
    const QFileInfo info(path);
    QCOMPARE(info.isSymLink(), inTheWay == u"link");
    QCOMPARE(info.isDir(), inTheWay == u"folder");
    if (inTheWay == u"file")
        QCOMPARE(readAll(path), QByteArray("old"));
}

void TestOutput::droppedStagedFileLeavesNothing()
{
    QTemporaryDir root;
    const QString path = root.filePath(QStringLiteral("deep/er/out.svg"));
    {
        const output::StagedFile staged = output::stageBytes("never placed", path, {.makeFolders = true});
        QVERIFY2(staged.ok(), qPrintable(staged.error()));
        // Written beside the target, hidden, until it is put in place.
        QCOMPARE(QDir(root.filePath(QStringLiteral("deep/er"))).entryList(QDir::Files | QDir::Hidden).size(),
                 1);
    }
    QVERIFY(QDir(root.filePath(QStringLiteral("deep/er"))).entryList(QDir::Files | QDir::Hidden).isEmpty());
    output::StagedFile staged = output::stageBytes("placed", path);
    QVERIFY(staged.commit().saved);
    // At most once: a second commit has nothing left to place.
    QVERIFY(!staged.commit().saved);
    QCOMPARE(readAll(path), QByteArray("placed"));
}

// Memory running out while one line is drawn or checked refuses that line,
// by number, and the batch goes on with the next on fresh surfaces.
void TestOutput::batchLineOutOfMemoryIsRefusedAlone()
{
    QTemporaryDir dir;
    QByteArray lines = "A1\nB2\nC3\nD4\n";
    QBuffer input(&lines);
    QVERIFY(input.open(QIODevice::ReadOnly));
    output::BatchSettings settings;
    settings.symbology = output::Symbology::Code128;
    settings.pattern = dir.filePath(QStringLiteral("{n}.png"));
    settings.jobs = 2;
    settings.check = [](const QImage&, const QString& reading) -> QString {
        if (reading.startsWith(QLatin1String("B2")))
            throw std::bad_alloc();
        return {};
    };
    std::vector<output::LineOutcome> reports;
    const output::BatchSummary summary = output::BatchRunner(settings).run(
        input, output::countLines(input), [&](const output::LineOutcome& o) { reports.push_back(o); }, {});
    QCOMPARE(summary.written, 3);
    QCOMPARE(summary.failed, 1);
    QCOMPARE(reports.size(), size_t(1));
    QCOMPARE(reports.front().line, 2);
    QVERIFY2(reports.front().message.endsWith(
                 QLatin1String("2.png not written: there is not enough memory to draw it")),
             qPrintable(reports.front().message));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"1.png", "3.png", "4.png"}));
    QCOMPARE(QString::fromStdString(testing::decode(QImage(dir.filePath(QStringLiteral("4.png"))),
                                                    ZXing::BarcodeFormat::Code128)),
             QStringLiteral("D4"));
}

namespace {
// A line of `length` digits made up as it is read, then a short line; keeps
// the most memory the heap held while it was read.
class EndlessLine : public QIODevice {
  public:
    explicit EndlessLine(qint64 length) : m_left(length) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    size_t peak = 0;

  protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const struct mallinfo2 heap = mallinfo2();
        peak = std::max(peak, heap.uordblks + heap.hblkhd);
        if (m_left > 0) {
            const qint64 n = std::min(maxSize, m_left);
            std::memset(data, '7', size_t(n));
            m_left -= n;
            return n;
        }
        const qint64 n = std::min<qint64>(maxSize, m_tail.size() - m_at);
        std::memcpy(data, m_tail.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

  private:
    qint64 m_left;
    QByteArray m_tail = "\nAB\n";
    qint64 m_at = 0;
};
} // namespace

// A line far longer than the window takes is skipped to its end as it is
// read, never held whole (which took gigabytes for a line of a few million).
void TestOutput::batchNeverHoldsALongLineWhole()
{
    QTemporaryDir dir;
    constexpr qint64 kLength = qint64(256) << 20;
    EndlessLine input(kLength);
    output::BatchSettings settings;
    settings.symbology = output::Symbology::Code128;
    settings.pattern = dir.filePath(QStringLiteral("{n}.png"));
    const struct mallinfo2 before = mallinfo2();
    std::vector<output::LineOutcome> reports;
    const output::BatchSummary summary = output::BatchRunner(settings).run(
        input, -1, [&](const output::LineOutcome& o) { reports.push_back(o); }, {});
    QCOMPARE(summary.written, 1);
    QCOMPARE(reports.size(), size_t(1));
    QCOMPARE(reports.front().line, 1);
    QCOMPARE(reports.front().message, output::dataTooLongMessage());
    // A sanitizer keeps the heap to itself: nothing to measure then.
    if (input.peak > 0)
        QVERIFY2(input.peak < before.uordblks + before.hblkhd + (kLength >> 4),
                 qPrintable(
                     QStringLiteral("%1 MB held").arg((input.peak - before.uordblks - before.hblkhd) >> 20)));
    QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("2.png"))));
}

void TestOutput::saveReplacesALinkNeverItsTarget_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("link to a file outside") << "file";
    QTest::newRow("dangling link") << "dangling";
    QTest::newRow("link to a named pipe") << "pipe";
    QTest::newRow("file of its own") << "own";
}

void TestOutput::saveReplacesALinkNeverItsTarget()
{
    QFETCH(QString, kind);
    QTemporaryDir root;
    QDir(root.path()).mkdir(QStringLiteral("here"));
    QDir(root.path()).mkdir(QStringLiteral("outside"));
    const QString here = root.filePath(QStringLiteral("here"));
    const QString outside = root.filePath(QStringLiteral("outside"));
    const QString path = QDir(here).filePath(QStringLiteral("TSL_LINK.bmp"));
    const QString victim = QDir(outside).filePath(QStringLiteral("victim"));
    if (kind == u"file" || kind == u"own") {
        QFile f(kind == u"own" ? path : victim);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("victim");
        f.close();
        // A replaced file keeps who may read it.
        QVERIFY(::chmod(QFile::encodeName(f.fileName()).constData(), 0640) == 0);
    }
    if (kind == u"pipe")
        QVERIFY(::mkfifo(QFile::encodeName(victim).constData(), 0600) == 0);
    if (kind != u"own")
        QVERIFY(QFile::link(QStringLiteral("../outside/victim"), path));
    const QStringList outsideBefore =
        QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);

    Window w(here);
    w->Text1->setText(QStringLiteral("LINK"));
    w.platform->messages.clear();
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(1)); // the question, and no failure

    // The new file stands where the link stood, and nothing outside has changed.
    const QFileInfo saved(path);
    QVERIFY(!saved.isSymLink());
    QVERIFY(saved.isFile());
    QVERIFY(testing::samePixels(QImage(path, "BMP"), w->Picture1().Image()));
    QCOMPARE(QDir(here).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             QStringList{QStringLiteral("TSL_LINK.bmp")});
    QCOMPARE(QDir(outside).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
             outsideBefore);
    struct stat st {};
    if (kind == u"file")
        QCOMPARE(readAll(victim), QByteArray("victim"));
    if (kind == u"pipe")
        QVERIFY(::lstat(QFile::encodeName(victim).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    QCOMPARE(st.st_mode & 0777, kind == u"own" ? mode_t(0640) : mode_t(0666 & ~mask));
}

void TestOutput::saveSaysWhenTheFolderIsGone_data()
{
    QTest::addColumn<bool>("processFolder"); // else the folder the window was given
    QTest::newRow("folder removed") << false;
    QTest::newRow("process's current folder removed") << true;
}

void TestOutput::saveSaysWhenTheFolderIsGone()
{
    QFETCH(bool, processFolder);
    QTemporaryDir root;
    const QString gone = root.filePath(QStringLiteral("gone"));
    QVERIFY(QDir(root.path()).mkdir(QStringLiteral("gone")));
    Window w(gone);
    w->Text1->setText(QStringLiteral("GONE"));
    w.platform->messages.clear();
    const QString before = QDir::currentPath();
    if (processFolder) {
        // What the real platform reports from inside a removed folder.
        QVERIFY(QDir::setCurrent(gone));
        QVERIFY(QDir(root.path()).rmdir(QStringLiteral("gone")));
        w.platform->currentFolder = QtPlatform(nullptr).currentDirectory();
    } else {
        QVERIFY(QDir(root.path()).rmdir(QStringLiteral("gone")));
    }
    w->Command4->click();
    QDir::setCurrent(before);
    QCOMPARE(w.platform->messages.size(), size_t(1)); // said at once, without asking first
    const testing::Message& m = w.platform->messages.front();
    QCOMPARE(m.icon, QMessageBox::Warning);
    QCOMPARE(m.title, QStringLiteral("File Save"));
    QCOMPARE(m.text, QStringLiteral(
                         "The current folder no longer exists, so the barcode image can't be saved in it."));
    QVERIFY(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

void TestOutput::saveRefusesANameTooLongAtOnce_data()
{
    // "TSL_" and ".bmp" add 8 bytes to the input's UTF-8.
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("bytes"); // of the file name
    QTest::newRow("247 ASCII: 255 bytes") << QString(247, u'A') << 255;
    QTest::newRow("248 ASCII: 256 bytes") << QString(248, u'A') << 256;
    QTest::newRow("123 two-byte: 254 bytes") << QString(123, u'\u00E9') << 254;
    QTest::newRow("124 two-byte: 256 bytes") << QString(124, u'\u00E9') << 256;
    QTest::newRow("2000 characters") << QString(2000, u'A') << 2008;
}

void TestOutput::saveRefusesANameTooLongAtOnce()
{
    QFETCH(QString, input);
    QFETCH(int, bytes);
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(input);
    w.platform->messages.clear();
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const testing::Message& m = w.platform->messages.front();
    QCOMPARE(m.title, QStringLiteral("File Save"));
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    if (bytes <= 255) {
        QCOMPARE(m.buttons, QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(files, QStringList{QStringLiteral("TSL_") + input + QStringLiteral(".bmp")});
    } else {
        QCOMPARE(m.icon, QMessageBox::Warning);
        QCOMPARE(m.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(m.text,
                 QStringLiteral("The barcode image can't be saved: a file name made from this input would "
                                "be %1 bytes long, and the file system allows 255.")
                     .arg(bytes));
        QVERIFY(files.isEmpty());
    }
}

void TestOutput::saveQuestionFitsTheScreen()
{
    // The longest name the file system takes, in a folder nested deep: both would
    // otherwise stretch the question far beyond the screen.
    QTemporaryDir root;
    QString folder = root.path();
    while (folder.size() < 3000)
        folder += QStringLiteral("/") + QString(60, u'f');
    QVERIFY(QDir().mkpath(folder));
    const QString input(247, u'W');
    Window w(folder);
    w->show();
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(input);
    w.platform->messages.clear();
    w->Command4->click();
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const testing::Message& ask = w.platform->messages.front();
    QVERIFY(ask.text.startsWith(QStringLiteral("Do you want to save the barcode image of WWW")));
    QVERIFY(ask.text.endsWith(QStringLiteral("WWW.bmp")));
    // Shortened in the middle: the folder's start and the file's end stay.
    QVERIFY(ask.text.contains(QStringLiteral(" as ") + root.path().left(10)));
    QCOMPARE(QDir(folder).entryList(QDir::Files),
             QStringList{QStringLiteral("TSL_") + input + QStringLiteral(".bmp")});

    // The box as the window's platform shows it, buttons and all on the screen.
    // The offscreen screen squeezes a box that is too big, so what the box asks
    // for counts as well as where it ends up.
    QMessageBox box(ask.icon, ask.title, ask.text, ask.buttons, w.w.get());
    box.show();
    const QRect screen = w->screen()->availableGeometry();
    QVERIFY2(
        screen.contains(box.frameGeometry()) && box.sizeHint().width() <= screen.width() &&
            box.sizeHint().height() <= screen.height(),
        qPrintable(QStringLiteral("wants %1 x %2").arg(box.sizeHint().width()).arg(box.sizeHint().height())));
    box.close();
}

// Every picture a test compares is drawn with these fonts and no others, however
// many more the machine has (tests/CMakeLists.txt gives the tests a font
// configuration of their own). None has CJK glyphs, so "\u65e5 is Invalid" shows
// a missing-glyph box on every machine, as the golden pictures hold it. Tahoma
// comes from fonts-wine's own folder, as on a user's machine, where no font
// configuration lists it.
void TestOutput::fontListIsTheTestFontsOnly()
{
    Window w;
    QStringList fonts;
    for (int row = 0; row < w->List1->count(); ++row)
        fonts << w->List1->item(row)->text();
    fonts.sort();
    // With Qt's three generic names, which it offers on every machine.
    QCOMPARE(fonts, QStringList({QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Sans Mono"),
                                 QStringLiteral("DejaVu Serif"), QStringLiteral("Monospace"),
                                 QStringLiteral("Sans Serif"), QStringLiteral("Serif"),
                                 QStringLiteral("Tahoma")}));
    const QRawFont tahoma = QRawFont::fromFont(output::tahoma(14.25, false));
    QCOMPARE(tahoma.familyName(), QStringLiteral("Tahoma"));
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

void TestOutput::fontChoiceByKeyboard_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("move"); // from the current row; INT_MAX for the last row
    QTest::newRow("Down") << int(Qt::Key_Down) << 1;
    QTest::newRow("Up") << int(Qt::Key_Up) << -1;
    QTest::newRow("End") << int(Qt::Key_End) << INT_MAX;
    QTest::newRow("Return") << int(Qt::Key_Return) << 0;
    QTest::newRow("Space") << int(Qt::Key_Space) << 0;
}

// A keyboard choice does what a click does, and the focus stays in the list.
void TestOutput::fontChoiceByKeyboard()
{
    QFETCH(int, key);
    QFETCH(int, move);
    Window w;
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.w.get()));
    QListWidget* list = w->List1;
    QVERIFY(list->count() >= 3);
    w->Text1->setText(QStringLiteral("FONT"));
    list->setFocus();
    list->setCurrentRow(1); // as a click's press would, without the click
    QCOMPARE(w->FontB->text(), QStringLiteral("Tahoma"));
    QTest::keyClick(list, Qt::Key(key));
    const int row = move == INT_MAX ? list->count() - 1 : 1 + move;
    QCOMPARE(list->currentRow(), row);
    const QString family = list->item(row)->text();
    QCOMPARE(w->FontB->text(), family);
    for (const draw::Surface* s : {&w->Picture1(), &w->picUPC(), &w->picEan()})
        QCOMPARE(s->Font().family(), family);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
    // The same picture as a click on that font gives.
    Window clicked;
    clicked->Text1->setText(QStringLiteral("FONT"));
    clicked->List1->setCurrentRow(row);
    clicked->List1_Click();
    QVERIFY(testing::samePixels(w->Picture1().Image(), clicked->Picture1().Image()));
}

void TestOutput::linkHoverFollowsTheMouse_data()
{
    QTest::addColumn<QPalette>("theme");
    QTest::newRow("light") << QPalette(Qt::black, Qt::white, Qt::white, Qt::darkGray, Qt::gray, Qt::black,
                                       Qt::white);
    QPalette dark(QColor(230, 230, 230), QColor(40, 40, 40), QColor(70, 70, 70), QColor(20, 20, 20),
                  QColor(50, 50, 50), QColor(230, 230, 230), QColor(30, 30, 30));
    QTest::newRow("dark") << dark;
}

void TestOutput::linkHoverFollowsTheMouse()
{
    QFETCH(QPalette, theme);
    Window w;
    w->setPalette(theme);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.w.get()));
    auto* link = w->LblLink;
    const QColor normal = theme.color(QPalette::WindowText);
    QCOMPARE(link->palette().color(QPalette::WindowText), normal);
    // Real moves, as the window system delivers them: over the link, then over
    // a free part of the window.
    QTest::mouseMove(link, link->rect().center());
    QVERIFY(link->font().underline());
    QVERIFY(!link->font().bold());
    QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QTest::mouseMove(w->centralWidget(), QPoint(5, w->centralWidget()->height() - 5));
    QVERIFY(!link->font().underline());
    // The theme's text colour, not a fixed black that a dark theme hides.
    QCOMPARE(link->palette().color(QPalette::WindowText), normal);
    QTest::mouseMove(link, link->rect().center() + QPoint(10, 0));
    QVERIFY(link->font().underline());
}

void TestOutput::linkOpensByMouseAndKeyboard_data()
{
    QTest::addColumn<int>("key"); // 0 for a click
    QTest::newRow("click") << 0;
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Space") << int(Qt::Key_Space);
}

void TestOutput::linkOpensByMouseAndKeyboard()
{
    QFETCH(int, key);
    Window w;
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.w.get()));
    auto* link = w->LblLink;
    QCOMPARE(link->text(), QUrl(BarcodeGenerator::kLinkAddress).host());
    // Reached with Tab after the last command, and then drawn with a focus frame.
    const QImage unfocused = link->grab().toImage();
    w->Command2->setFocus();
    QTest::keyClick(w->Command2, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(link));
    QVERIFY(link->grab().toImage() != unfocused);
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
    if (key == 0) {
        // A click opens the site and leaves the focus where it was.
        w->Text1->setFocus();
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(w->Text1));
    } else
        QTest::keyClick(link, Qt::Key(key));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    QCOMPARE(catcher.opened, QList<QUrl>{QUrl(BarcodeGenerator::kLinkAddress)});
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

// The EAN page printed to a PDF file on a full disk: said once, and the file
// that was there stays as it was.
void TestOutput::eanPrintToAFullDiskKeepsTheOldFile()
{
    QTemporaryDir dir;
    Window w(dir.path());
    select(w.w.get(), QStringLiteral("EAN-13"));
    w->Text1->setText(QStringLiteral("123456789012"));
    const QString pdf = QDir(dir.path()).filePath(QStringLiteral("print.pdf"));
    QVERIFY(writeFile(pdf, "old"));
    {
        const testing::TinyFileLimit full;
        w->EanFileCommand(2);
    }
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const testing::Message& said = w.platform->messages.front();
    QCOMPARE(said.icon, QMessageBox::Warning);
    QVERIFY2(said.text.startsWith(QStringLiteral("Chyba tisku: ")) && said.text.contains(pdf) &&
                 said.text.contains(QStringLiteral("could not be written")),
             qPrintable(said.text));
    QCOMPARE(readAll(pdf), QByteArray("old"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("print.pdf")});
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

void TestOutput::clipboardSvgIsWellFormed_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("format");    // -1: a message, no symbol
    QTest::addColumn<QString>("shown"); // the text of the picture, as XML can hold it
    QTest::newRow("Code 128 markup characters")
        << "Code 128"
        << R"(A<B>&"C')" << int(ZXing::BarcodeFormat::Code128) << R"(A<B>&"C')";
    QTest::newRow("Code 128 entity-like text")
        << "Code 128"
        << "&amp; &#0; ]]>" << int(ZXing::BarcodeFormat::Code128) << "&amp; &#0; ]]>";
    QTest::newRow("Code 39 message naming <") << "Code 39"
                                              << "< is Invalid" << -1 << "< is Invalid";
    QTest::newRow("Code 39 message naming a control character")
        << "Code 39" << QStringLiteral("A\x01B") << -1 << " is Invalid";
    QTest::newRow("Codabar message naming a non-character")
        << "Codabar" << QString(QChar(0xFFFF)) << -1 << " is Invalid";
}

void TestOutput::clipboardSvgIsWellFormed()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(int, format);
    QFETCH(QString, shown);
    Window w;
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    QCOMPARE(w->Text1->text(), input);
    w->Command1->click();
    const QByteArray svg = QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/svg+xml"));
    QVERIFY(!svg.isEmpty());

    QXmlStreamReader xml(svg);
    QString title;
    QStringList texts;
    while (xml.readNext() != QXmlStreamReader::Invalid && !xml.atEnd()) {
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"title")
            title = xml.readElementText();
        else if (xml.name() == u"text")
            texts << xml.readElementText(QXmlStreamReader::IncludeChildElements);
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    // What the picture says reaches a vector editor unchanged, less what XML
    // cannot carry at all.
    QCOMPARE(title, shown);
    QCOMPARE(texts, QStringList{shown});

    const QImage image = w->Picture1().Image();
    QSvgRenderer renderer(svg);
    QVERIFY(renderer.isValid());
    QImage raster(image.size(), QImage::Format_RGB32);
    raster.fill(Qt::white);
    QPainter p(&raster);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(raster.size())));
    p.end();
    if (format >= 0) {
        QCOMPARE(QString::fromStdString(testing::decode(raster, ZXing::BarcodeFormat(format))), input);
        QCOMPARE(testing::darkColumns(raster, 20), testing::darkColumns(image, 20));
    }
}

void TestOutput::clipboardSvgIsWrittenOnlyWhenAskedFor()
{
    Window w;
    w->Text1->setText(QString(32767, u'W')); // the longest Code 39 symbol the box takes
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long drawnPeak = usage.ru_maxrss;
    QElapsedTimer timer;
    timer.start();
    w->Command1->click();
    const qint64 copyMs = timer.elapsed();
    getrusage(RUSAGE_SELF, &usage);
    const long copyPeak = usage.ru_maxrss;
    // The SVG shows what was copied, even after the picture has changed.
    w->Text1->setText(QStringLiteral("AFTER"));
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data->formats().contains(QStringLiteral("image/svg+xml")));
    timer.restart();
    const QByteArray svg = data->data(QStringLiteral("image/svg+xml"));
    const qint64 svgMs = timer.elapsed();
    getrusage(RUSAGE_SELF, &usage);
    qInfo("Code 39, 32767 characters: copy %lld ms (peak %ld MB, %ld MB before), SVG when asked %lld ms "
          "(%lld MB, peak %ld MB)",
          copyMs, copyPeak / 1024, drawnPeak / 1024, svgMs, qint64(svg.size()) >> 20, usage.ru_maxrss / 1024);
    QVERIFY(svg.contains("WWWWWWWWWWWWWWWW"));
    QVERIFY(!svg.contains("AFTER"));
    QCOMPARE(data->data(QStringLiteral("image/svg+xml")), svg); // written once, then kept
    // A painter's SVG of this symbol was 33 MB: each bar a group of its own.
    QVERIFY2(svg.size() < (12 << 20), qPrintable(QString::number(svg.size())));
}

void TestOutput::clipboardAndExportWriteOneSvg_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::newRow("Code 128 with its label") << "Code 128" << "Tag <7> & \"q\"";
    QTest::newRow("EAN-13 digits and guards") << "EAN-13" << "590123412345";
    QTest::newRow("UPC-A over its picture") << "UPC-A" << "03600029145";
}

// Copy and Export hand out the same SVG of a picture: the export only says
// how large it is in millimetres.
void TestOutput::clipboardAndExportWriteOneSvg()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    Window w;
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    const draw::Surface& shown = w->surface(output::surfaceFor(w->selectedSymbology()));
    const output::Encoded exported =
        output::encode(shown, {.format = output::Format::Svg, .moduleMm = 0.5});
    QVERIFY(exported.ok());
    w->Command1->click();
    const QByteArray copied = QGuiApplication::clipboard()->mimeData()->data(QStringLiteral("image/svg+xml"));
    // Everything after the size: the title and every element.
    const auto body = [](const QByteArray& svg) { return svg.mid(svg.indexOf("<title>")); };
    const auto scale = [](const QByteArray& svg) {
        const qsizetype at = svg.indexOf("<g transform=\"scale(");
        return svg.mid(at, svg.indexOf(')', at) - at);
    };
    QVERIFY(copied.contains("<rect"));
    QCOMPARE(body(exported.bytes).replace(scale(exported.bytes), scale(copied)), body(copied));
    QVERIFY(exported.bytes.contains("mm\""));
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
void TestOutput::exportFilterShowsEveryFileOfItsFormat()
{
    // A file the program writes and reads by its suffix is one the export's
    // file dialog shows, and no file of another format is.
    const QList<output::Format> formats = {output::Format::Png, output::Format::Svg, output::Format::Pdf,
                                           output::Format::Bmp, output::Format::Tiff};
    const QStringList names = {QStringLiteral("a.png"), QStringLiteral("a.svg"), QStringLiteral("a.pdf"),
                               QStringLiteral("a.bmp"), QStringLiteral("a.tiff"), QStringLiteral("a.tif"),
                               QStringLiteral("A.TIF")};
    for (const output::Format format : formats) {
        const QString filter = output::formatFilter(format);
        const QRegularExpressionMatch patterns = QRegularExpression(QStringLiteral("\\((.*)\\)$")).match(filter);
        QVERIFY2(patterns.hasMatch(), qPrintable(filter));
        const QStringList globs = patterns.captured(1).split(u' ');
        for (const QString& name : names) {
            const bool shown = QDir::match(globs, name);
            const std::optional<output::Format> read = output::formatFromSuffix(QFileInfo(name).suffix());
            QVERIFY2(shown == (read == format), qPrintable(filter + u' ' + name));
        }
    }
}

#include "tst_output.moc"
