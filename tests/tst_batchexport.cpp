// Batch Export in the window: the dialog, the files it leaves and the summary.
#include "support/TestSupport.h"

#include "app/BatchExport.h"
#include "app/QtPlatform.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using testing::select;
using testing::Window;

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A dialog filled as a user would: pasted lines into a folder, PNG at 0.33 mm and 300 dpi.
void fill(BatchExportDialog& d, const QString& lines, const QString& folder)
{
    d.lines->setPlainText(lines);
    d.folder->setText(folder);
    d.format->setCurrentIndex(d.format->findText(QStringLiteral("PNG")));
    d.moduleMm->setValue(0.33);
    d.dpi->setValue(300);
}

} // namespace

class TestBatchExport : public QObject {
    Q_OBJECT
  private slots:
    void incompleteRequestsAreSaidNotRun_data();
    void incompleteRequestsAreSaidNotRun();
    void namesStayInTheFolder_data();
    void namesStayInTheFolder();
    void choosersGoThroughThePlatform();
    void writesTheValidLinesAndNamesTheOthers();
    void linesFromAFileInAVectorFormat();
    void filesThatDoNotReadBackAreNamed();
    void cancelLeavesOnlyWholeFiles();
    void summaryFitsTheScreen_data();
    void summaryFitsTheScreen();
    void summaryNamesCollisionsAndLongLines();
    void summarySaysWhenTheLinesCouldNotBeRead();
    void fileMenuOffersItWithoutASymbol();
};

void TestBatchExport::incompleteRequestsAreSaidNotRun_data()
{
    QTest::addColumn<QString>("lines");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("names");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("message");
    QTest::newRow("no lines") << " \n"
                              << "out"
                              << "{n}"
                              << "black"
                              << "Paste the lines";
    QTest::newRow("no folder") << "A"
                               << ""
                               << "{n}"
                               << "black"
                               << "Choose the folder";
    QTest::newRow("one name for all") << "A"
                                      << "out"
                                      << "label"
                                      << "black"
                                      << "{n} or {data}";
    QTest::newRow("unknown placeholder") << "A"
                                         << "out"
                                         << "{n}-{date}"
                                         << "black"
                                         << "hold {date}; the placeholders are {n} and {data}";
    QTest::newRow("not a colour") << "A"
                                  << "out"
                                  << "{n}"
                                  << "inky"
                                  << "colours are names";
}

void TestBatchExport::incompleteRequestsAreSaidNotRun()
{
    QFETCH(QString, lines);
    QFETCH(QString, folder);
    QFETCH(QString, names);
    QFETCH(QString, colour);
    QFETCH(QString, message);
    testing::FakePlatform platform(QDir::tempPath());
    BatchExportDialog d(platform);
    fill(d, lines, folder);
    d.names->setText(names);
    d.foreground->setText(colour);
    QString error;
    QVERIFY(!d.request(&error));
    QVERIFY2(error.contains(message), qPrintable(error));
    // Accepting says why and keeps the dialog open.
    d.accept();
    QCOMPARE(d.result(), int(QDialog::Rejected));
    QCOMPARE(platform.messages.size(), size_t(1));
    QCOMPARE(platform.messages.front().text, error);
}

void TestBatchExport::namesStayInTheFolder_data()
{
    QTest::addColumn<QString>("names");
    QTest::addColumn<QStringList>("written"); // under the parent of the chosen folder; none when refused
    QTest::newRow("up a level") << "../escape-{n}-{data}" << QStringList();
    QTest::newRow("down, then up twice") << "sub/../../{n}" << QStringList();
    QTest::newRow("absolute") << "%1/absolute-{n}" << QStringList();
    // Dots that are part of a name, and folders below the chosen one, stay inside.
    QTest::newRow("dots in a name") << "..{n}..{data}"
                                    << QStringList{"chosen/..1..ONE.png", "chosen/..2..TWO.png"};
    QTest::newRow("a folder below") << "./sub/{data}"
                                    << QStringList{"chosen/sub/ONE.png", "chosen/sub/TWO.png"};
}

// A name pattern made in the window may not leave the folder the summary names.
void TestBatchExport::namesStayInTheFolder()
{
    QFETCH(QString, names);
    QFETCH(QStringList, written);
    QTemporaryDir top;
    const QString chosen = top.filePath(QStringLiteral("chosen"));
    QVERIFY(QDir().mkpath(chosen));
    Window w(top.path());
    select(w.w.get(), QStringLiteral("Code 39"));
    BatchExportDialog d(*w.platform);
    fill(d, QStringLiteral("ONE\nTWO\n"), chosen);
    d.names->setText(names.arg(top.path()));
    d.accept();
    const std::optional<BatchExportRequest> request = d.request();
    if (written.isEmpty()) {
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QVERIFY(!request);
        QCOMPARE(w.platform->messages.size(), size_t(1));
        QVERIFY2(w.platform->messages.front().text.contains(QLatin1String("inside the output folder")),
                 qPrintable(w.platform->messages.front().text));
    } else {
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QVERIFY(request);
        QCOMPARE(w->runBatchExport(*request, {}).written, 2);
    }
    QStringList found;
    QDirIterator files(top.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext())
        found << QDir(top.path()).relativeFilePath(files.next());
    found.sort();
    QCOMPARE(found, written);
}

void TestBatchExport::choosersGoThroughThePlatform()
{
    testing::FakePlatform platform(QDir::tempPath());
    BatchExportDialog d(platform);
    platform.folderAnswer = QStringLiteral("/chosen/folder");
    platform.openFileAnswer = QStringLiteral("/chosen/lines.txt");
    d.chooseFolder();
    d.chooseLinesFile();
    QCOMPARE(d.folder->text(), QStringLiteral("/chosen/folder"));
    QCOMPARE(d.linesFile->text(), QStringLiteral("/chosen/lines.txt"));
    // Cancel in a chooser keeps what was there.
    platform.folderAnswer.clear();
    d.chooseFolder();
    QCOMPARE(d.folder->text(), QStringLiteral("/chosen/folder"));
    // No transparency for BMP, no resolution for SVG.
    d.format->setCurrentIndex(d.format->findText(QStringLiteral("BMP")));
    QVERIFY(!d.transparent->isEnabled());
    d.format->setCurrentIndex(d.format->findText(QStringLiteral("SVG")));
    QVERIFY(!d.dpi->isEnabled());
    QVERIFY(d.transparent->isEnabled());
}

void TestBatchExport::writesTheValidLinesAndNamesTheOthers()
{
    QTemporaryDir out;
    Window w(out.path());
    select(w.w.get(), QStringLiteral("Code 39"));
    BatchExportDialog d(*w.platform);
    fill(d, QStringLiteral("ONE\nbad#\nTHREE\n\nFIVE"), out.path() + QStringLiteral("/labels"));
    d.names->setText(QStringLiteral("{n}-{data}"));
    const std::optional<BatchExportRequest> request = d.request();
    QVERIFY(request);
    qint64 calls = 0;
    const output::BatchSummary summary = w->runBatchExport(*request, [&](const output::BatchProgress& p) {
        ++calls;
        return p.done <= p.total;
    });
    // The blank line is skipped, not refused; it still counts for {n}.
    QCOMPARE(calls, 5);
    QCOMPARE(summary.written, 3);
    QCOMPARE(summary.failed, 1);
    const QString labels = out.filePath(QStringLiteral("labels"));
    QCOMPARE(filesIn(labels), (QStringList{"1-ONE.png", "3-THREE.png", "5-FIVE.png"}));
    const QImage three(labels + QStringLiteral("/3-THREE.png"));
    QCOMPARE(QString::fromStdString(testing::decode(three, ZXing::BarcodeFormat::Code39)),
             QStringLiteral("THREE"));
    // 0.33 mm at 300 dpi: four pixels a module, the window's picture four times over.
    w->Text1->setText(QStringLiteral("THREE"));
    QCOMPARE(three.size(), w->Picture1().Image().size() * 4);
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const QString text = w.platform->messages.front().text;
    QVERIFY2(text.contains(QStringLiteral("3 files written to %1").arg(request->folder)), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("line 2: # is Invalid")), qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String("line 4")), qPrintable(text));
    QVERIFY2(text.contains(QLatin1String("1 line refused:")), qPrintable(text));
    QCOMPARE(w.platform->messages.front().icon, QMessageBox::Warning);
}

// Every file is decoded as it is written; one the decoder does not read is
// still written, and the summary says which line and why.
void TestBatchExport::filesThatDoNotReadBackAreNamed()
{
    QTemporaryDir out;
    Window w(out.path());
    select(w.w.get(), QStringLiteral("Interleaved 2 of 5"));
    BatchExportDialog d(*w.platform);
    fill(d, QStringLiteral("123456\n12\n7890123456"), out.path());
    const std::optional<BatchExportRequest> request = d.request();
    QVERIFY(request);
    const output::BatchSummary summary = w->runBatchExport(*request, {});
    QCOMPARE(summary.written, 3);
    QCOMPARE(summary.failed, 0);
    QCOMPARE(summary.unread, 1);
    QCOMPARE(filesIn(out.path()).size(), 3);
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const QString text = w.platform->messages.front().text;
    QVERIFY2(text.contains(QLatin1String("1 file written that may not scan:\nline 2: Not read by a standard "
                                         "decoder. Interleaved 2 of 5 of fewer than 6 digits")),
             qPrintable(text));
    QVERIFY2(!text.contains(QLatin1String(" refused:")), qPrintable(text));
    QCOMPARE(w.platform->messages.front().icon, QMessageBox::Warning);
}

void TestBatchExport::linesFromAFileInAVectorFormat()
{
    QTemporaryDir out;
    Window w(out.path());
    select(w.w.get(), QStringLiteral("EAN-13"));
    QFile lines(out.filePath(QStringLiteral("items.txt")));
    QVERIFY(lines.open(QIODevice::WriteOnly));
    lines.write("123456789012\n978020137962\n");
    lines.close();
    BatchExportDialog d(*w.platform);
    fill(d, QString(), out.path() + QStringLiteral("/svg"));
    w.platform->openFileAnswer = lines.fileName();
    d.chooseLinesFile();
    d.names->setText(QStringLiteral("{data}"));
    d.format->setCurrentIndex(d.format->findText(QStringLiteral("SVG")));
    d.foreground->setText(QStringLiteral("#00008b"));
    const std::optional<BatchExportRequest> request = d.request();
    QVERIFY(request);
    const output::BatchSummary summary = w->runBatchExport(*request, {});
    QCOMPARE(summary.written, 2);
    QCOMPARE(filesIn(out.filePath(QStringLiteral("svg"))),
             (QStringList{"123456789012.svg", "978020137962.svg"}));
    QFile svg(out.filePath(QStringLiteral("svg/978020137962.svg")));
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray bytes = svg.readAll();
    // Sized in millimetres, in the chosen colour.
    QVERIFY(bytes.contains("mm\""));
    QVERIFY(bytes.contains("#00008b"));
    QCOMPARE(w.platform->messages.front().icon, QMessageBox::Information);
}

void TestBatchExport::cancelLeavesOnlyWholeFiles()
{
    QTemporaryDir out;
    Window w(out.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    QString text;
    for (int i = 1; i <= 200; ++i)
        text += QStringLiteral("ITEM %1\n").arg(i);
    BatchExportDialog d(*w.platform);
    fill(d, text, out.path());
    const std::optional<BatchExportRequest> request = d.request();
    QVERIFY(request);
    const output::BatchSummary summary =
        w->runBatchExport(*request, [](const output::BatchProgress& p) { return p.done < 10; });
    QVERIFY(summary.cancelled);
    QCOMPARE(summary.written, 10);
    // Lines drawn ahead of the cancel leave no temporary file behind.
    const QStringList files = filesIn(out.path());
    QCOMPARE(files.size(), 10);
    for (const QString& name : files) {
        const int line = name.section(QLatin1Char('.'), 0, 0).toInt();
        QCOMPARE(QString::fromStdString(
                     testing::decode(QImage(out.filePath(name)), ZXing::BarcodeFormat::Code128)),
                 QStringLiteral("ITEM %1").arg(line));
    }
    const QString summaryText = w.platform->messages.front().text;
    QVERIFY2(summaryText.startsWith(QLatin1String("Cancelled: 10 files written")), qPrintable(summaryText));
}

void TestBatchExport::summaryFitsTheScreen_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("count");
    QTest::newRow("a line of 10,000 characters") << 10000 << 1;
    QTest::newRow("25 lines of 1,000") << 1000 << 25;
}

// A refused line names its file, and a long line makes a name as long: the
// summary still fits the screen, and keeps the whole text.
void TestBatchExport::summaryFitsTheScreen()
{
    QFETCH(int, length);
    QFETCH(int, count);
    QTemporaryDir out;
    Window w(out.path());
    select(w.w.get(), QStringLiteral("Code 39"));
    BatchExportDialog d(*w.platform);
    QString lines;
    for (int i = 0; i < count; ++i)
        lines += QString(length, u'A') + QLatin1Char('\n');
    fill(d, lines + QStringLiteral("SHORT\n"), out.path());
    // Too large a picture for the long lines: refused before they are drawn at that size.
    d.moduleMm->setValue(1.0);
    d.dpi->setValue(600);
    d.names->setText(QStringLiteral("{data}"));
    const std::optional<BatchExportRequest> request = d.request();
    QVERIFY(request);
    const output::BatchSummary summary = w->runBatchExport(*request, {});
    QCOMPARE(summary.written, 1);
    QCOMPARE(summary.failed, count);
    const testing::Message said = w.platform->messages.front();
    QVERIFY2(said.text.size() > length, qPrintable(said.text.left(200)));

    QtPlatform real(nullptr);
    const std::unique_ptr<QMessageBox> box = real.messageBox(said.icon, said.title, said.text, said.buttons);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    const QRect screen = box->screen()->availableGeometry();
    const auto fits = [&box, &screen] {
        const QRect shown = box->frameGeometry();
        QVERIFY2(shown.width() <= screen.width() && shown.height() <= screen.height(),
                 qPrintable(QStringLiteral("%1 x %2 on a screen of %3 x %4")
                                .arg(shown.width())
                                .arg(shown.height())
                                .arg(screen.width())
                                .arg(screen.height())));
    };
    fits();
    // With the details open too.
    QAbstractButton* details = nullptr;
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QMessageBox::ActionRole)
            details = button;
    QVERIFY(details);
    details->click();
    QCoreApplication::processEvents();
    fits();
    // The refused line's start and end are on view, the whole of it a click away.
    const QString refused = said.text.section(QLatin1Char('\n'), 2, 2);
    QVERIFY2(refused.startsWith(QLatin1String("line 1: ")), qPrintable(refused.left(200)));
    const QString onView = box->text().section(QLatin1Char('\n'), 2, 2);
    QVERIFY2(onView.startsWith(refused.left(20)) && onView.endsWith(refused.right(20)) && onView.size() < 400,
             qPrintable(onView));
    QCOMPARE(box->detailedText(), said.text);
    // A short message is shown as it is.
    const std::unique_ptr<QMessageBox> plain = real.messageBox(
        QMessageBox::Information, said.title, QStringLiteral("1 file written."), QMessageBox::Ok);
    QCOMPARE(plain->text(), QStringLiteral("1 file written."));
    QVERIFY(plain->detailedText().isEmpty());
}

// The window's runner refuses what the command line's does, and the summary
// says so by line: a name a line earlier took (even with Replace checked), and
// a line longer than the window's own box takes.
void TestBatchExport::summaryNamesCollisionsAndLongLines()
{
    QTemporaryDir out;
    Window w(out.path());
    select(w.w.get(), QStringLiteral("Code 128"));
    QCOMPARE(qsizetype(w->Text1->maxLength()), output::kMaxDataLength);
    BatchExportDialog d(*w.platform);
    const QString tooLong(output::kMaxDataLength + 1, QChar(u'9'));
    fill(d, QStringLiteral("A/B\n\nA:B\n") + tooLong + QStringLiteral("\nC"), out.path());
    d.names->setText(QStringLiteral("{data}"));
    d.replace->setChecked(true);
    const std::optional<BatchExportRequest> request = d.request();
    QVERIFY(request);
    const output::BatchSummary summary = w->runBatchExport(*request, {});
    QCOMPARE(summary.written, 2);
    QCOMPARE(summary.failed, 2);
    QCOMPARE(filesIn(out.path()), (QStringList{"A_B.png", "C.png"}));
    QCOMPARE(QString::fromStdString(testing::decode(QImage(out.filePath(QStringLiteral("A_B.png"))),
                                                    ZXing::BarcodeFormat::Code128)),
             QStringLiteral("A/B"));
    const QString text = w.platform->messages.front().text;
    QVERIFY2(
        text.contains(QStringLiteral("2 lines refused:\nline 3: %1/A_B.png not written: line 1 wrote a file "
                                     "of that name\nline 4: The data is longer than 32767 characters")
                          .arg(out.path())),
        qPrintable(text));
}

// A lines file that opens but cannot be read (the process's own memory at
// address 0): the summary must not read as a batch that had nothing to do.
void TestBatchExport::summarySaysWhenTheLinesCouldNotBeRead()
{
    QTemporaryDir out;
    Window w(out.path());
    BatchExportRequest request;
    request.linesFile = QStringLiteral("/proc/self/mem");
    request.folder = out.path();
    w->runBatchExport(request, {});
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const testing::Message& said = w.platform->messages.front();
    QCOMPARE(said.icon, QMessageBox::Warning);
    QVERIFY2(said.text.contains(QStringLiteral("could not be read to their end")), qPrintable(said.text));
}

void TestBatchExport::fileMenuOffersItWithoutASymbol()
{
    Window w;
    QVERIFY(w->Text1->text().isEmpty());
    QVERIFY(w->fileMenu->actions().contains(w->fileBatchExport));
    // Export needs the symbol on view; a batch draws its own.
    QVERIFY(!w->fileExport->isEnabled());
    QVERIFY(w->fileBatchExport->isEnabled());
    QCOMPARE(w->fileBatchExport->text(), QStringLiteral("&Batch Export…"));
}

QTEST_MAIN(TestBatchExport)
#include "tst_batchexport.moc"
