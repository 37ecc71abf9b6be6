// Export and print from the window: the File menu and its shortcuts, the export
// dialog driven from the keyboard, what reaches the file, the printer and a
// drag, the read-back warning, and what a failure or a cancel leaves behind.
#include "support/TestSupport.h"

#include "app/ExportDialog.h"
#include "draw/PictureBox.h"
#include "verify/ExportCheck.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <csignal>
#include <sys/resource.h>

using output::ExportSettings;
using output::Format;
using testing::select;
using testing::Window;

Q_DECLARE_METATYPE(output::Format)
Q_DECLARE_METATYPE(output::ExportSettings)
Q_DECLARE_METATYPE(ZXing::BarcodeFormat)

namespace {

constexpr double kMmPerInch = 25.4;

ExportDialog* openExport(const Window& w)
{
    w->fileExport->trigger();
    return w->findChild<ExportDialog*>();
}

void retype(QWidget* field, const QString& text)
{
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
}

// The top-left of the page, where the symbol is printed: a whole page at 600 dpi
// is more than an image reader takes.
QImage renderPdfPage(const QString& pdf, int dpi, const QString& stem)
{
    const QString inches4 = QString::number(4 * dpi);
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                   QStringLiteral("-singlefile"), QStringLiteral("-W"), inches4, QStringLiteral("-H"),
                   inches4, pdf, stem});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        qWarning() << process.readAllStandardError();
        return {};
    }
    QImageReader reader(stem + QStringLiteral(".png"));
    const QImage page = reader.read();
    if (page.isNull())
        qWarning() << reader.errorString();
    return page;
}

// Width in pixels of the narrowest dark run along a row.
int narrowestBar(const QImage& image, int row)
{
    int narrowest = image.width();
    int run = 0;
    for (int x = 0; x < image.width(); ++x) {
        if (testing::isDark(image.pixel(x, row))) {
            ++run;
        } else if (run > 0) {
            narrowest = std::min(narrowest, run);
            run = 0;
        }
    }
    return narrowest;
}

// The first row from the top that crosses bars.
int barRow(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        if (testing::darkColumns(image, y).size() > 20)
            return y + 2;
    return -1;
}

} // namespace

class TestExportUi : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void fileMenuStandsBeforeAbout();
    void symbolActionsFollowThePicture_data();
    void symbolActionsFollowThePicture();
    void shortcutsTriggerTheActions();
    void dialogShowsWhatTheFileWillBe();
    void planIsShownWhole_data();
    void planIsShownWhole();
    void keyboardFillsAndAcceptsTheDialog();
    void cancelWritesNothing();
    void failedExportSaysWhyAndKeepsTheFile();
    void nameOfAnotherFormatIsRefused_data();
    void nameOfAnotherFormatIsRefused();
    void lowContrastIsWrittenWithAWarning();
    void exportCheckReadsWhatWasWritten_data();
    void exportCheckReadsWhatWasWritten();
    void printMenuPrintsTheShownSymbol();
    void previewAndCancelledPrint();
    void printToAFullDiskSaysSo_data();
    void printToAFullDiskSaysSo();
    void dragOffersPngSvgAndFile();
    void pictureMenuOffersTheSymbolActions();
    void standardProportionsExportTheStandardSymbol_data();
    void standardProportionsExportTheStandardSymbol();
    void standardProportionsOnlyForTheEanFamily_data();
    void standardProportionsOnlyForTheEanFamily();

  private:
    QTemporaryDir m_settings;
    QTemporaryDir m_folder;
};

void TestExportUi::initTestCase()
{
    QVERIFY(m_settings.isValid() && m_folder.isValid());
    // Never the user's own choices, nor a Pictures folder on the test machine.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    // A file size limit must fail the write, not kill the test.
    std::signal(SIGXFSZ, SIG_IGN);
}

void TestExportUi::init()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("barcode-generator"),
              QStringLiteral("export"))
        .clear();
}

void TestExportUi::fileMenuStandsBeforeAbout()
{
    Window w;
    const QList<QAction*> bar = w->menuBar()->actions();
    QCOMPARE(bar.size(), 2);
    QCOMPARE(bar[0], w->fileMenu->menuAction());
    QCOMPARE(bar[1], w->help);
    QCOMPARE(w->fileMenu->title(), QStringLiteral("&File"));
    // Every entry reachable by its own letter.
    QSet<QChar> letters;
    for (QAction* action : w->fileMenu->actions()) {
        if (action->isSeparator())
            continue;
        const qsizetype amp = action->text().indexOf(u'&');
        QVERIFY2(amp >= 0, qPrintable(action->text()));
        QVERIFY2(!letters.contains(action->text()[amp + 1].toLower()), qPrintable(action->text()));
        letters.insert(action->text()[amp + 1].toLower());
    }
    QCOMPARE(w->fileExport->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    QCOMPARE(w->filePrint->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(w->fileQuit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

void TestExportUi::symbolActionsFollowThePicture_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("shown");
    QTest::newRow("Code 39") << "Code 39"
                             << "HELLO" << true;
    QTest::newRow("empty input") << "Code 39"
                                 << "" << false;
    QTest::newRow("message in the picture") << "Code 39"
                                            << "HE#LO" << false;
    QTest::newRow("Codabar") << "Codabar"
                             << "1234" << true;
    QTest::newRow("Interleaved 2 of 5 letters") << "Interleaved 2 of 5"
                                                << "12A4" << false;
    QTest::newRow("EAN-13 hint") << "EAN-13"
                                 << "12345" << false;
    QTest::newRow("EAN-13") << "EAN-13"
                            << "501234567890" << true;
    QTest::newRow("ISBN") << "ISBN"
                          << "978020137962" << true;
    QTest::newRow("UPC-A hint") << "UPC-A"
                                << "0360002914" << false;
    QTest::newRow("UPC-A") << "UPC-A"
                           << "03600029145" << true;
}

void TestExportUi::symbolActionsFollowThePicture()
{
    QFETCH(QString, symbology);
    QFETCH(QString, input);
    QFETCH(bool, shown);
    Window w;
    // A symbol first, so that a greyed action is not merely the start state.
    w->Text1->setText(QStringLiteral("1"));
    select(w.w.get(), symbology);
    w->Text1->setText(input);
    QCOMPARE(w->symbolShown(), shown);
    for (QAction* action : {w->fileExport, w->filePrint, w->filePrintPreview, w->pictureCopy})
        QVERIFY2(action->isEnabled() == shown, qPrintable(action->text()));
    QVERIFY(w->fileQuit->isEnabled());
}

void TestExportUi::shortcutsTriggerTheActions()
{
    Window w(m_folder.path());
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w.w.get()));
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QStringLiteral("KEYS"));

    QTest::keySequence(w.w.get(), QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    ExportDialog* dialog = w->findChild<ExportDialog*>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    dialog->reject();
    QTRY_VERIFY(!w->findChild<ExportDialog*>());
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.w.get()));

    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("shortcut.pdf"));
    w.platform->pdfPath = pdf;
    QTest::keySequence(w.w.get(), QKeySequence(QStringLiteral("Ctrl+P")));
    QCOMPARE(w.platform->printDialogs, 1);
    QVERIFY(QFileInfo(pdf).size() > 0);

    QTest::keySequence(w.w.get(), QKeySequence(QStringLiteral("Ctrl+Q")));
    QVERIFY(!w->isVisible());
}

void TestExportUi::dialogShowsWhatTheFileWillBe()
{
    Window w;
    select(w.w.get(), QStringLiteral("Code 39"));
    w->Text1->setText(QStringLiteral("PLAN"));
    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    const QSize surface = output::surfaceSize(w->Picture1());

    // 0.33 mm at 300 dpi is 3.9 dots: 4 whole pixels, a module of 0.339 mm.
    dialog->setSettings({Format::Png, 0.33, 300, Qt::black, Qt::white, false});
    QVERIFY(dialog->dpi->isEnabled());
    QString text = dialog->planText->text();
    QVERIFY2(text.contains(QStringLiteral("4 pixels per module")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("0.339 mm")), qPrintable(text));
    QVERIFY2(
        text.contains(QStringLiteral("%1 x %2 pixels").arg(surface.width() * 4).arg(surface.height() * 4)),
        qPrintable(text));

    // The plan follows each edit, not only the settings it opened with.
    dialog->dpi->setValue(203);
    text = dialog->planText->text();
    QVERIFY2(text.contains(QStringLiteral("3 pixels per module")), qPrintable(text));

    // A vector file keeps the module as asked and has no resolution.
    dialog->format->setCurrentIndex(dialog->format->findText(QStringLiteral("SVG")));
    QVERIFY(!dialog->dpi->isEnabled());
    QVERIFY(dialog->transparent->isEnabled());
    text = dialog->planText->text();
    QVERIFY2(text.contains(QStringLiteral("0.330 mm")) && !text.contains(QStringLiteral("pixels")),
             qPrintable(text));

    // A bitmap cannot be transparent, whatever the box held.
    dialog->transparent->setChecked(true);
    QVERIFY(!dialog->background->isEnabled());
    dialog->format->setCurrentIndex(dialog->format->findText(QStringLiteral("BMP")));
    QVERIFY(!dialog->transparent->isEnabled());
    QVERIFY(dialog->background->isEnabled());
    QVERIFY(!dialog->settings().transparent);

    // What cannot be written cannot be accepted.
    dialog->format->setCurrentIndex(dialog->format->findText(QStringLiteral("PNG")));
    dialog->moduleMm->setValue(25.4);
    dialog->dpi->setValue(9600);
    QVERIFY(!dialog->buttons->button(QDialogButtonBox::Ok)->isEnabled());
    QVERIFY2(dialog->planText->text().contains(QStringLiteral("too large")),
             qPrintable(dialog->planText->text()));
    QCOMPARE(dialog->format->count(), output::availableFormats().size());
}

void TestExportUi::planIsShownWhole_data()
{
    QTest::addColumn<ExportSettings>("settings");
    QTest::addColumn<QString>("says");
    QTest::newRow("too large") << ExportSettings{Format::Png, 25.4, 9600, Qt::black, Qt::white, false}
                               << "too large";
    QTest::newRow("too large, in pale bars")
        << ExportSettings{Format::Png, 25.4, 9600, QColor(0xdd, 0xdd, 0xdd), Qt::white, false}
        << "differ little";
    QTest::newRow("too long for a PDF page")
        << ExportSettings{Format::Pdf, 25.4, 300, Qt::black, Qt::white, false} << "PDF page";
    QTest::newRow("light on dark") << ExportSettings{Format::Svg, 0.33, 300, Qt::white, Qt::black, false}
                                   << "Light bars";
}

// The dialog opens on a short plan; a longer one later must still be read to
// its end, inside the screen.
void TestExportUi::planIsShownWhole()
{
    QFETCH(ExportSettings, settings);
    QFETCH(QString, says);
    Window w;
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QStringLiteral("Long enough to be too large at a full inch a module"));
    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    dialog->setSettings(settings);
    QCoreApplication::processEvents();
    QLabel* plan = dialog->planText;
    QVERIFY2(plan->text().contains(says), qPrintable(plan->text()));
    // As it grew, then made as small as the user can make it.
    for (const bool shrunk : {false, true}) {
        if (shrunk) {
            dialog->resize(1, 1);
            QCoreApplication::processEvents();
        }
        // Every line the text wraps to fits the label's height, and the label the dialog.
        QVERIFY2(plan->height() >= plan->heightForWidth(plan->width()),
                 qPrintable(QStringLiteral("%1 px high, %2 needed at %3 px wide")
                                .arg(plan->height())
                                .arg(plan->heightForWidth(plan->width()))
                                .arg(plan->width())));
        QVERIFY(dialog->rect().contains(QRect(plan->mapTo(dialog, QPoint(0, 0)), plan->size())));
        QVERIFY(dialog->screen()->availableGeometry().contains(dialog->frameGeometry()));
    }
}

void TestExportUi::keyboardFillsAndAcceptsTheDialog()
{
    Window w;
    w->show();
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QStringLiteral("A/B 7"));
    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));

    // Format, then the buddies' letters reach each field.
    QCOMPARE(QApplication::focusWidget(), dialog->format);
    dialog->format->setCurrentIndex(dialog->format->findText(QStringLiteral("BMP")));
    QTest::keyClick(dialog->format, Qt::Key_Home);
    QCOMPARE(dialog->format->currentText(), QStringLiteral("PNG"));
    QTest::keyClick(dialog, Qt::Key_M, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), dialog->moduleMm);
    retype(dialog->moduleMm, QStringLiteral("0.5"));
    QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget(), dialog->dpi);
    retype(dialog->dpi, QStringLiteral("203"));
    QTest::keyClick(dialog, Qt::Key_T, Qt::AltModifier);
    QTRY_VERIFY(dialog->transparent->isChecked());

    // The data's "/" cannot stand in a file name: File Save's rule, in the Pictures folder.
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString chosen = QDir(m_folder.path()).filePath(QStringLiteral("keyboard.png"));
    w.platform->chosenFile = chosen;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_VERIFY(!w->findChild<ExportDialog*>());
    QCOMPARE(w.platform->proposedFiles.size(), size_t(1));
    QCOMPARE(w.platform->proposedFiles[0], QDir(pictures).filePath(QStringLiteral("TSL_A_B 7.png")));
    QVERIFY(w.platform->messages.empty());

    // 0.5 mm at 203 dpi is 4 dots; the file says 203 dpi, and has an alpha channel.
    QImageReader reader(chosen);
    const QImage file = reader.read();
    QVERIFY2(!file.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(file.size(), output::surfaceSize(w->Picture1()) * 4);
    QCOMPARE(std::lround(file.dotsPerMeterX() * kMmPerInch / 1000.0), 203L);
    QVERIFY(file.hasAlphaChannel());
    QCOMPARE(qAlpha(file.pixel(0, 0)), 0);
    QImage onWhite(file.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    QPainter(&onWhite).drawImage(0, 0, file);
    QCOMPARE(testing::decode(onWhite, ZXing::BarcodeFormat::Code128), std::string("A/B 7"));

    // The next export starts from these choices, in the folder last used.
    dialog = openExport(w);
    QVERIFY(dialog);
    QCOMPARE(dialog->moduleMm->value(), 0.5);
    QCOMPARE(dialog->dpi->value(), 203);
    QVERIFY(dialog->transparent->isChecked());
    dialog->accept();
    QCOMPARE(w.platform->proposedFiles.size(), size_t(2));
    QCOMPARE(QFileInfo(w.platform->proposedFiles[1]).absolutePath(), m_folder.path());
}

void TestExportUi::cancelWritesNothing()
{
    Window w;
    select(w.w.get(), QStringLiteral("Code 39"));
    w->Text1->setText(QStringLiteral("CANCEL"));
    const QString path = QDir(m_folder.path()).filePath(QStringLiteral("cancelled.png"));
    w.platform->chosenFile = path;

    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    QTest::keyClick(dialog, Qt::Key_Escape);
    QTRY_VERIFY(!w->findChild<ExportDialog*>());
    QVERIFY(w.platform->proposedFiles.empty());

    // Cancelled in the file chooser.
    w.platform->chosenFile = QString();
    dialog = openExport(w);
    dialog->accept();
    QCOMPARE(w.platform->proposedFiles.size(), size_t(1));
    QVERIFY(!QFile::exists(path));
    QVERIFY(w.platform->messages.empty());
    QCOMPARE(
        QDir(m_folder.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("cancel")).size(),
        0);
}

void TestExportUi::failedExportSaysWhyAndKeepsTheFile()
{
    Window w;
    select(w.w.get(), QStringLiteral("Code 39"));
    w->Text1->setText(QStringLiteral("FULL"));
    const QString path = QDir(m_folder.path()).filePath(QStringLiteral("kept.png"));
    {
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    w.platform->chosenFile = path;
    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    {
        const testing::TinyFileLimit full;
        dialog->accept();
    }
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QCOMPARE(w.platform->messages[0].icon, QMessageBox::Warning);
    QVERIFY2(w.platform->messages[0].text.startsWith(QStringLiteral("The symbol was not exported to ")),
             qPrintable(w.platform->messages[0].text));
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));

    // A folder that is gone: said, and nothing made.
    w.platform->messages.clear();
    const QString gone = QDir(m_folder.path()).filePath(QStringLiteral("gone/x.svg"));
    w.platform->chosenFile = gone;
    dialog = openExport(w);
    dialog->format->setCurrentIndex(dialog->format->findText(QStringLiteral("SVG")));
    dialog->accept();
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QVERIFY(!QFile::exists(gone));
}

void TestExportUi::nameOfAnotherFormatIsRefused_data()
{
    // The format chosen in the dialog and the name typed in the file dialog:
    // the file opens as what its name says, or is not written.
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written"); // empty when refused
    QTest::newRow("TIFF as .png") << "TIFF" << "label.png" << "";
    QTest::newRow("PNG as .svg") << "PNG" << "label.svg" << "";
    QTest::newRow("TIFF as .tif") << "TIFF" << "label.tif" << "label.tif";
    QTest::newRow("PDF as .PDF") << "PDF" << "label.PDF" << "label.PDF";
    QTest::newRow("no suffix gets the format's") << "BMP" << "label" << "label.bmp";
    QTest::newRow("a suffix of no format is the user's") << "PNG" << "label.v2" << "label.v2";
}

void TestExportUi::nameOfAnotherFormatIsRefused()
{
    QFETCH(QString, format);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    Window w;
    select(w.w.get(), QStringLiteral("Code 39"));
    w->Text1->setText(QStringLiteral("NAMED"));
    const QDir folder(m_folder.path());
    w.platform->chosenFile = folder.filePath(typed);
    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    dialog->format->setCurrentIndex(dialog->format->findText(format));
    QCOMPARE(dialog->format->currentText(), format);
    dialog->accept();
    const QStringList files = folder.entryList({QStringLiteral("label*")}, QDir::Files | QDir::Hidden);
    if (written.isEmpty()) {
        QVERIFY2(files.isEmpty(), qPrintable(files.join(u' ')));
        QCOMPARE(w.platform->messages.size(), size_t(1));
        QVERIFY2(w.platform->messages[0].text.contains(format), qPrintable(w.platform->messages[0].text));
        return;
    }
    QCOMPARE(w.platform->messages.size(), size_t(0));
    QCOMPARE(files, QStringList{written});
    // What it holds is the chosen format, whatever the case of its name.
    QCOMPARE(QImageReader(folder.filePath(written)).format().isEmpty(), format == u"PDF" || format == u"SVG");
    if (format != u"PDF" && format != u"SVG")
        QCOMPARE(QString::fromLatin1(QImageReader(folder.filePath(written)).format()).toUpper(),
                 format == u"TIFF" ? QStringLiteral("TIFF") : format);
    QVERIFY(QFile::remove(folder.filePath(written)));
}

void TestExportUi::lowContrastIsWrittenWithAWarning()
{
    Window w;
    select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(QStringLiteral("PALE"));
    const QString path = QDir(m_folder.path()).filePath(QStringLiteral("pale.png"));
    w.platform->chosenFile = path;
    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    dialog->setSettings({Format::Png, 0.33, 300, QColor(0xee, 0xee, 0xee), Qt::white, false});
    QVERIFY(!dialog->planText->text().isEmpty());
    dialog->accept();
    // Written as asked, in the colours asked ...
    const QImage file(path);
    QVERIFY(!file.isNull());
    QCOMPARE(file.pixel(0, 0), qRgb(0xff, 0xff, 0xff));
    QVERIFY(testing::darkColumns(file, 0).empty());
    // ... and the user told that a decoder does not read it, and why.
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const testing::Message& warning = w.platform->messages[0];
    QCOMPARE(warning.icon, QMessageBox::Warning);
    QVERIFY2(warning.text.contains(QStringLiteral("written as asked")), qPrintable(warning.text));
    QVERIFY2(warning.text.contains(QStringLiteral("lightness")), qPrintable(warning.text));
}

void TestExportUi::exportCheckReadsWhatWasWritten_data()
{
    QTest::addColumn<Format>("format");
    QTest::addColumn<QColor>("foreground");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<bool>("reads");
    QTest::newRow("PNG") << Format::Png << QColor(Qt::black) << QColor(Qt::white) << false << true;
    QTest::newRow("BMP dark blue on cream")
        << Format::Bmp << QColor(0, 0, 0x80) << QColor(0xff, 0xff, 0xe0) << false << true;
    // Read as grey alone, every pixel of a transparent picture has the bars' colour.
    QTest::newRow("PNG transparent") << Format::Png << QColor(Qt::black) << QColor(Qt::white) << true << true;
    QTest::newRow("SVG transparent") << Format::Svg << QColor(0x20, 0x40, 0x20) << QColor(Qt::white) << true
                                     << true;
    QTest::newRow("PDF pale") << Format::Pdf << QColor(0xf0, 0xf0, 0xf0) << QColor(Qt::white) << false
                              << false;
    QTest::newRow("PNG same colour") << Format::Png << QColor(Qt::gray) << QColor(Qt::gray) << false << false;
}

void TestExportUi::exportCheckReadsWhatWasWritten()
{
    QFETCH(Format, format);
    QFETCH(QColor, foreground);
    QFETCH(QColor, background);
    QFETCH(bool, transparent);
    QFETCH(bool, reads);
    Window w;
    select(w.w.get(), QStringLiteral("EAN-13"));
    w->Text1->setText(QStringLiteral("501234567890"));
    const ExportSettings settings{format, 0.33, 300, foreground, background, transparent};
    verify::Context context;
    context.expected = QStringLiteral("5012345678900");
    const verify::Verdict verdict =
        verify::checkExport(w->picEan(), settings, verify::Symbology::Ean13, context);
    QVERIFY2(verdict.reads() == reads, qPrintable(verdict.details()));
    if (!reads)
        QVERIFY2(verdict.reason.contains(QStringLiteral("lightness")), qPrintable(verdict.details()));
}

void TestExportUi::printMenuPrintsTheShownSymbol()
{
    Window w(m_folder.path());
    // The last export's module width is the printed one; 0.5 mm at 600 dpi is 12 dots.
    ExportDialog::remember({Format::Png, 0.5, 300, Qt::black, Qt::white, false});
    select(w.w.get(), QStringLiteral("Codabar"));
    w->Text1->setText(QStringLiteral("40156"));
    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("printed.pdf"));
    w.platform->pdfPath = pdf;
    w->printCaption->setChecked(true);
    w->filePrint->trigger();
    QCOMPARE(w.platform->printDialogs, 1);
    QVERIFY(w.platform->messages.empty());
    QVERIFY2(QFileInfo(pdf).size() > 0, qPrintable(pdf));
    const QImage page = renderPdfPage(pdf, 600, QDir(m_folder.path()).filePath(QStringLiteral("printed")));
    QVERIFY(!page.isNull());
    QCOMPARE(testing::decode(page, ZXing::BarcodeFormat::Codabar), std::string("40156"));
    const int row = barRow(page);
    QVERIFY(row >= 0);
    QVERIFY2(std::abs(narrowestBar(page, row) - 12) <= 1,
             qPrintable(QString::number(narrowestBar(page, row))));
    // The caption is the data, under the bars.
    const auto [top, bottom] = testing::darkRows(page, testing::darkColumns(page, row).front());
    QVERIFY(top >= 0);
    int lastInk = 0;
    for (int y = page.height() - 1; y > 0 && !lastInk; --y)
        if (!testing::darkColumns(page, y).empty())
            lastInk = y;
    QVERIFY2(lastInk > bottom + 20, "no caption under the symbol");
}

void TestExportUi::previewAndCancelledPrint()
{
    Window w(m_folder.path());
    select(w.w.get(), QStringLiteral("UPC-A"));
    w->Text1->setText(QStringLiteral("03600029145"));
    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("preview.pdf"));
    w.platform->pdfPath = pdf;
    w.platform->cancelPrint = true;
    w->filePrint->trigger();
    QVERIFY(!QFile::exists(pdf));

    w->filePrintPreview->trigger();
    QCOMPARE(w.platform->previews, 1);
    const QImage page = renderPdfPage(pdf, 300, QDir(m_folder.path()).filePath(QStringLiteral("preview")));
    QCOMPARE(testing::decode(page, ZXing::BarcodeFormat::UPCA), std::string("036000291452"));

    // A printer that cannot start: said, and no verdict on a page never printed.
    w.platform->brokenPrinter = true;
    w.platform->cancelPrint = false;
    w->filePrint->trigger();
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QVERIFY2(w.platform->messages[0].text.startsWith(QStringLiteral("The symbol was not printed")),
             qPrintable(w.platform->messages[0].text));
    w.platform->brokenPrinter = false;
    w.platform->messages.clear();

    // Too wide for the page: said, not printed.
    ExportDialog::remember({Format::Png, 25.4, 300, Qt::black, Qt::white, false});
    w.platform->cancelPrint = false;
    w->filePrint->trigger();
    QCOMPARE(w.platform->messages.size(), size_t(1));
    QVERIFY2(w.platform->messages[0].text.contains(QStringLiteral("printable area")),
             qPrintable(w.platform->messages[0].text));
}

void TestExportUi::printToAFullDiskSaysSo_data()
{
    QTest::addColumn<bool>("preview");
    QTest::addColumn<QByteArray>("old"); // what the PDF's path held before; empty for nothing
    QTest::newRow("print") << false << QByteArray();
    QTest::newRow("print over an older file") << false << QByteArray("old");
    QTest::newRow("preview's print") << true << QByteArray();
}

// Printing to a PDF file on a disk that takes only the file's first bytes:
// the user is told, and the path holds what it held before or nothing.
void TestExportUi::printToAFullDiskSaysSo()
{
    QFETCH(bool, preview);
    QFETCH(QByteArray, old);
    Window w(m_folder.path());
    select(w.w.get(), QStringLiteral("Codabar"));
    w->Text1->setText(QStringLiteral("40156"));
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("full.pdf"));
    if (!old.isEmpty()) {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    w.platform->pdfPath = pdf;
    {
        const testing::TinyFileLimit full;
        (preview ? w->filePrintPreview : w->filePrint)->trigger();
    }
    QCOMPARE(w.platform->messages.size(), size_t(1));
    const testing::Message& said = w.platform->messages.front();
    QCOMPARE(said.icon, QMessageBox::Warning);
    QVERIFY2(said.text.startsWith(QStringLiteral("The symbol was not printed")) && said.text.contains(pdf),
             qPrintable(said.text));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
             old.isEmpty() ? QStringList() : QStringList{QStringLiteral("full.pdf")});
    if (!old.isEmpty()) {
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
    }

    // With room on the disk the same printer writes the whole page.
    w.platform->messages.clear();
    (preview ? w->filePrintPreview : w->filePrint)->trigger();
    QVERIFY(w.platform->messages.empty());
    const QImage page = renderPdfPage(pdf, 300, folder.filePath(QStringLiteral("page")));
    QCOMPARE(testing::decode(page, ZXing::BarcodeFormat::Codabar), std::string("40156"));
}

void TestExportUi::dragOffersPngSvgAndFile()
{
    Window w;
    select(w.w.get(), QStringLiteral("Code 39"));
    w->Text1->setText(QStringLiteral("DRAG ME"));
    ExportDialog::remember({Format::Pdf, 0.25, 300, QColor(0, 0, 0x80), Qt::white, false});
    const output::DragData data = w->dragData();
    QVERIFY2(data.mime, qPrintable(data.error));
    const QMimeData& mime = *data.mime;
    QVERIFY(mime.hasFormat(QStringLiteral("image/png")));
    QVERIFY(mime.hasFormat(QStringLiteral("image/svg+xml")));
    QCOMPARE(mime.urls().size(), 1);

    // The pixels at the export's scale (0.25 mm at 300 dpi: 3 pixels) and colours.
    const QImage png = QImage::fromData(mime.data(QStringLiteral("image/png")), "PNG");
    QCOMPARE(png.size(), output::surfaceSize(w->Picture1()) * 3);
    QCOMPARE(testing::decode(png, ZXing::BarcodeFormat::Code39), std::string("DRAG ME"));
    QVERIFY(testing::darkColumns(png, 30).size() > 0);
    QCOMPARE(png.pixel(testing::darkColumns(png, 30).front(), 30), qRgb(0, 0, 0x80));

    // The file a file manager copies is that PNG, named as File Save names it.
    const QString file = mime.urls()[0].toLocalFile();
    QCOMPARE(QFileInfo(file).fileName(), QStringLiteral("TSL_DRAG ME.png"));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), mime.data(QStringLiteral("image/png")));

    // The SVG draws the same symbol.
    QSvgRenderer svg(mime.data(QStringLiteral("image/svg+xml")));
    QVERIFY(svg.isValid());
    QImage raster(png.size(), QImage::Format_RGB32);
    raster.fill(Qt::white);
    QPainter painter(&raster);
    svg.render(&painter);
    painter.end();
    QCOMPARE(testing::decode(raster, ZXing::BarcodeFormat::Code39), std::string("DRAG ME"));

    // Nothing to drag while a message stands in the picture.
    w->Text1->setText(QStringLiteral("DR#G"));
    QVERIFY(!w->dragData().mime);
}

void TestExportUi::pictureMenuOffersTheSymbolActions()
{
    Window w;
    w->show();
    select(w.w.get(), QStringLiteral("Code 39"));
    w->Text1->setText(QStringLiteral("MENU"));
    const QList<QAction*> actions = w->pictureMenu->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[1], w->fileExport);
    QCOMPARE(actions[2], w->filePrint);
    draw::PictureBox* box = w->pictureBox(w->Picture1());
    emit box->customContextMenuRequested(QPoint(10, 10));
    QTRY_VERIFY(w->pictureMenu->isVisible());
    w->pictureMenu->hide();

    // Copy from the menu is the window's Copy: the symbol reaches the clipboard.
    QGuiApplication::clipboard()->clear();
    actions[0]->trigger();
    QVERIFY(QGuiApplication::clipboard()->mimeData()->hasImage());
}

void TestExportUi::standardProportionsExportTheStandardSymbol_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<ZXing::BarcodeFormat>("format");
    QTest::newRow("EAN-13") << "EAN-13"
                            << "400638133393"
                            << "4006381333931" << ZXing::BarcodeFormat::EAN13;
    QTest::newRow("JAN-13") << "JAN-13"
                            << "491234567890"
                            << "4912345678904" << ZXing::BarcodeFormat::EAN13;
    QTest::newRow("ISBN") << "ISBN"
                          << "978030640615"
                          << "9780306406157" << ZXing::BarcodeFormat::EAN13;
    QTest::newRow("UPC-A") << "UPC-A"
                           << "03600029145"
                           << "036000291452" << ZXing::BarcodeFormat::UPCA;
}

// Off by default: the window's picture is exported as it was. Checked, the
// file holds the standard's symbol of the same number, taller for the same
// module width; the choice is remembered and the window's picture untouched.
void TestExportUi::standardProportionsExportTheStandardSymbol()
{
    QFETCH(QString, symbology);
    QFETCH(QString, data);
    QFETCH(QString, reading);
    QFETCH(ZXing::BarcodeFormat, format);
    Window w;
    select(w.w.get(), symbology);
    w->Text1->setText(data);
    const draw::Surface& shown = symbology == QLatin1String("UPC-A") ? w->picUPC() : w->picEan();
    const QImage before = shown.Image();
    const auto exportTo = [&](const QString& name, std::optional<bool> standard) -> QImage {
        ExportDialog* dialog = openExport(w);
        if (!dialog || !dialog->proportions->isVisibleTo(dialog))
            return {};
        if (standard)
            dialog->proportions->setChecked(*standard);
        dialog->moduleMm->setValue(0.33);
        dialog->dpi->setValue(300);
        dialog->format->setCurrentIndex(dialog->format->findData(int(Format::Png)));
        const QString path = QDir(m_folder.path()).filePath(name);
        w.platform->chosenFile = path;
        dialog->accept();
        return QImage(path);
    };
    const QImage window = exportTo(QStringLiteral("window.png"), std::nullopt);
    QVERIFY(!window.isNull());
    const QImage standard = exportTo(QStringLiteral("standard.png"), true);
    QVERIFY(!standard.isNull());
    QVERIFY(w.platform->messages.empty());
    QCOMPARE(QString::fromStdString(testing::decode(window, format, 1)), reading);
    QCOMPARE(QString::fromStdString(testing::decode(standard, format, 1)), reading);
    // 0.33 mm at 300 dpi is 4 dots a module; the standard's bars are 22.85 mm
    // (270 dots) where the window's are about 15.8 mm.
    const auto tallestBar = [](const QImage& image) {
        int tallest = 0;
        for (int x = 0; x < image.width(); ++x) {
            const auto [top, bottom] = testing::darkRows(image, x);
            tallest = std::max(tallest, bottom - top + 1);
        }
        return tallest;
    };
    QVERIFY2(tallestBar(standard) >= 250, qPrintable(QString::number(tallestBar(standard))));
    QVERIFY2(tallestBar(window) * 13 / 10 < tallestBar(standard),
             qPrintable(QStringLiteral("%1 %2").arg(tallestBar(window)).arg(tallestBar(standard))));
    QVERIFY(testing::samePixels(shown.Image(), before));
    // Remembered, for the next export.
    ExportDialog* again = openExport(w);
    QVERIFY(again);
    QVERIFY(again->proportions->isChecked());
    again->proportions->setChecked(false);
    again->accept();
    QVERIFY(!openExport(w)->proportions->isChecked());
}

void TestExportUi::standardProportionsOnlyForTheEanFamily_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("data");
    QTest::newRow("Code 39") << "Code 39"
                             << "ABC";
    QTest::newRow("Code 128") << "Code 128"
                              << "abc 128";
}

void TestExportUi::standardProportionsOnlyForTheEanFamily()
{
    QFETCH(QString, symbology);
    QFETCH(QString, data);
    Window w;
    w->show();
    select(w.w.get(), symbology);
    w->Text1->setText(data);
    ExportDialog* dialog = openExport(w);
    QVERIFY(dialog);
    QVERIFY(!dialog->proportions->isVisibleTo(dialog));
    QVERIFY(!dialog->standardProportions());
}

QTEST_MAIN(TestExportUi)
#include "tst_exportui.moc"
