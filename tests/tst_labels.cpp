// Print Labels: the dialog the File menu opens, its product list, its preview,
// the PDF it saves beside the command line's and the choices it keeps.
#include "app/PrintLabels.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImageReader>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using testing::Window;

namespace {

struct Run {
    int status = -1;
    QString err;
};

// The program as a shell runs it, with no display.
Run runProgram(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment env = testing::withoutDisplay();
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(PROGRAM_PATH), arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardError())};
}

// Every page of a PDF at `dpi`, without smoothing, so that two files drawn
// alike give the same pixels.
std::vector<QImage> pages(const QString& pdf, int dpi)
{
    const QString stem = pdf + QStringLiteral("-page");
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"), QStringLiteral("-aa"),
                   QStringLiteral("no"), QStringLiteral("-aaVector"), QStringLiteral("no"), pdf, stem});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    std::vector<QImage> images;
    const QFileInfo info(stem);
    QStringList names = QDir(info.absolutePath())
                            .entryList({info.fileName() + QStringLiteral("-*.pgm")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = QDir(info.absolutePath()).filePath(name);
        images.push_back(QImage(path));
        QFile::remove(path);
    }
    return images;
}

QString lines(int count, int from = 1)
{
    QString text;
    for (int i = from; i < from + count; ++i)
        text += QStringLiteral("L%1\n").arg(i, 3, 10, QLatin1Char('0'));
    return text;
}

// A custom sheet as a user fills it in: the page, then in mm the label's size,
// the grid, the first label's corner and the pitch across and down.
struct CustomSheet {
    const char* page;
    double width, height;
    int columns, rows;
    double left, top, across, down;
};

void fillCustomSheet(PrintLabelsDialog* dialog, const CustomSheet& sheet)
{
    dialog->useCustom->setChecked(true);
    dialog->customPage->setCurrentText(QString::fromLatin1(sheet.page));
    dialog->labelWidth->setValue(sheet.width);
    dialog->labelHeight->setValue(sheet.height);
    dialog->columns->setValue(sheet.columns);
    dialog->rows->setValue(sheet.rows);
    dialog->firstLeft->setValue(sheet.left);
    dialog->firstTop->setValue(sheet.top);
    dialog->pitchAcross->setValue(sheet.across);
    dialog->pitchDown->setValue(sheet.down);
}

// The window's boxes as the command line sets them.
QStringList windowOptions(const Window& w)
{
    QStringList args;
    if (!w->Check1[0]->isChecked())
        args << QStringLiteral("--no-optimize");
    if (!w->Check1[1]->isChecked())
        args << QStringLiteral("--no-label");
    if (w->Check1[2]->isChecked())
        args << QStringLiteral("--check");
    return args;
}

// A label's rectangle in the preview's pixels.
QRectF inPreview(const PrintLabelsDialog& dialog, int spot)
{
    const sheets::Sheet& sheet = dialog.layout()->sheet();
    const QRectF page = dialog.preview->pageRect();
    const double scale = page.width() / sheet.pageMm.width();
    const QRectF mm = sheet.labelRect(spot);
    return {page.topLeft() + mm.topLeft() * scale, mm.size() * scale};
}

// The outline's grey (neither paper nor ink) within two pixels of x along row y.
bool outlineNear(const QImage& image, double x, double y)
{
    for (int dx = -2; dx <= 2; ++dx) {
        const QRgb pixel = image.pixel(int(std::round(x)) + dx, int(std::round(y)));
        const int grey = qGray(pixel);
        if (qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel) && grey > 100 && grey < 245)
            return true;
    }
    return false;
}

} // namespace

class TestLabels : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void init();
    void fileMenuOpensTheDialog();
    void listsProductsAndSearches_data();
    void listsProductsAndSearches();
    void unsupportedProductsAreGreyed();
    void previewShowsOutlinesThatAreNotPrinted();
    void saveAsPdfWritesTheCommandLinesSheet_data();
    void saveAsPdfWritesTheCommandLinesSheet();
    void badLinesAreNamedAndLeftEmptyOrSkipped_data();
    void badLinesAreNamedAndLeftEmptyOrSkipped();
    void labelsThatDoNotReadAreNamed();
    void aSymbolTooLargeForItsLabelIsSaid();
    void aFailedSaveIsSaidAndWritesNothing();
    void choicesPersist();
    void printGoesThroughThePrinter();

  private:
    PrintLabelsDialog* open(Window& w);
    // The dialog over the window showing `data` in Code 128, to fill Avery 5160
    // with it; nullptr when the label data has no such product.
    PrintLabelsDialog* openOnShown(Window& w, const QString& data);
    QTemporaryDir m_settings;
    QTemporaryDir m_folder;
};

void TestLabels::initTestCase()
{
    QVERIFY(m_settings.isValid() && m_folder.isValid());
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settings.path());
    QVERIFY2(!PrintLabelsDialog::catalogue().products().empty(),
             qPrintable(PrintLabelsDialog::catalogue().error()));
}

void TestLabels::init()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("barcode-generator"),
              QStringLiteral("labels"))
        .clear();
}

PrintLabelsDialog* TestLabels::open(Window& w)
{
    PrintLabelsDialog* dialog = w->File_PrintLabels();
    // Laid out, so that the preview has its size.
    QCoreApplication::processEvents();
    return dialog;
}

PrintLabelsDialog* TestLabels::openOnShown(Window& w, const QString& data)
{
    testing::select(w.w.get(), QStringLiteral("Code 128"));
    w->Text1->setText(data);
    PrintLabelsDialog* dialog = open(w);
    if (!dialog->selectProduct(QStringLiteral("Avery 5160")))
        return nullptr;
    dialog->fromCurrent->setChecked(true);
    return dialog;
}

void TestLabels::fileMenuOpensTheDialog()
{
    Window w(m_folder.path());
    QVERIFY(w->fileMenu->actions().contains(w->filePrintLabels));
    QCOMPARE(w->filePrintLabels->shortcut(), QKeySequence(QStringLiteral("Ctrl+L")));
    // Lines need no symbol on view.
    QVERIFY(w->filePrintLabels->isEnabled());
    w->filePrintLabels->trigger();
    auto* dialog = w->findChild<PrintLabelsDialog*>();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    // Nothing on view: the current symbol cannot be chosen.
    QVERIFY(!dialog->fromCurrent->isEnabled());
    QVERIFY(dialog->fromLines->isChecked());
    dialog->close();

    w->Text1->setText(QStringLiteral("ABC123"));
    PrintLabelsDialog* second = open(w);
    QVERIFY(second->fromCurrent->isEnabled());
    // Lines were left last time with no file to read them from: the symbol on
    // view is chosen, not an empty sheet.
    QVERIFY(second->fromCurrent->isChecked());
    second->copies->setValue(4);
    second->refresh();
    QVERIFY(second->layout());
    QCOMPARE(second->layout()->labelCount(), 4);
    QCOMPARE(second->layout()->items().front().data, QStringLiteral("ABC123"));
}

void TestLabels::listsProductsAndSearches_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("found");
    QTest::addColumn<QString>("notFound");
    QTest::newRow("part") << "5160"
                          << "Avery 5160"
                          << "Avery L7160";
    QTest::newRow("part in any case") << "l7160"
                                      << "Avery L7160"
                                      << "Avery 5160";
    QTest::newRow("brand and part") << "avery 5160"
                                    << "Avery 5160"
                                    << "Avery 5161";
    QTest::newRow("everything") << ""
                                << "Avery L7160"
                                << "";
}

void TestLabels::listsProductsAndSearches()
{
    QFETCH(QString, search);
    QFETCH(QString, found);
    QFETCH(QString, notFound);
    Window w(m_folder.path());
    PrintLabelsDialog* dialog = open(w);
    QTest::keyClick(dialog->search, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(dialog->search, search);
    int visible = 0;
    for (int i = 0; i < dialog->products->topLevelItemCount(); ++i)
        visible += dialog->products->topLevelItem(i)->isHidden() ? 0 : 1;
    // Every product the search finds, and no other.
    QCOMPARE(visible, int(PrintLabelsDialog::catalogue().search(search).size()));
    QVERIFY(dialog->selectProduct(found));
    if (!notFound.isEmpty())
        QVERIFY(!dialog->selectProduct(notFound));
    // The row says the paper, the label's size and the layout.
    const QTreeWidgetItem* item = dialog->products->currentItem();
    QCOMPARE(item->text(0), found);
    const sheets::Product* product = PrintLabelsDialog::catalogue().find(found);
    QVERIFY(product);
    QCOMPARE(item->text(2), product->sheet.paperName);
    QCOMPARE(item->text(3), product->sheet.labelSizeText());
    QCOMPARE(item->text(4), product->sheet.layoutText());
    dialog->refresh();
    QCOMPARE(dialog->layout()->sheet().name, product->sheet.name);
}

void TestLabels::unsupportedProductsAreGreyed()
{
    const auto& all = PrintLabelsDialog::catalogue().products();
    const auto unsupported =
        std::find_if(all.begin(), all.end(), [](const auto& p) { return !p.supported(); });
    if (unsupported == all.end())
        QSKIP("the installed label data has no product of another shape");
    Window w(m_folder.path());
    PrintLabelsDialog* dialog = open(w);
    dialog->search->setText(unsupported->part);
    const QTreeWidgetItem* row = nullptr;
    for (int i = 0; i < dialog->products->topLevelItemCount(); ++i)
        if (dialog->products->topLevelItem(i)->text(0) == unsupported->name())
            row = dialog->products->topLevelItem(i);
    QVERIFY(row);
    QVERIFY(!row->isHidden());
    QVERIFY(!(row->flags() & Qt::ItemIsEnabled));
    QVERIFY(!(row->flags() & Qt::ItemIsSelectable));
    QVERIFY2(row->text(4).contains(QStringLiteral("Not supported")), qPrintable(row->text(4)));
}

void TestLabels::previewShowsOutlinesThatAreNotPrinted()
{
    Window w(m_folder.path());
    PrintLabelsDialog* dialog = openOnShown(w, QStringLiteral("ABC123"));
    QVERIFY(dialog);
    dialog->copies->setValue(3);
    dialog->refresh();
    QVERIFY(dialog->layout());
    QCOMPARE(dialog->layout()->sheet().labelsPerPage(), 30);
    const QImage shown = dialog->preview->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.devicePixelRatio(), 1.0);

    // Filled and empty labels alike are outlined, on both sides; the gap
    // between two labels is paper.
    for (int spot : {0, 1, 5, 29}) {
        const QRectF label = inPreview(*dialog, spot);
        const double y = label.center().y();
        QVERIFY2(outlineNear(shown, label.left(), y), qPrintable(QString::number(spot)));
        QVERIFY2(outlineNear(shown, label.right(), y), qPrintable(QString::number(spot)));
        QVERIFY2(outlineNear(shown, label.center().x(), label.top()), qPrintable(QString::number(spot)));
    }
    const QRectF first = inPreview(*dialog, 0);
    const QRectF second = inPreview(*dialog, 1);
    QCOMPARE(shown.pixel(int((first.right() + second.left()) / 2), int(first.center().y())),
             qRgb(255, 255, 255));
    // The symbol is on the first label, none on the sixth.
    QVERIFY(testing::anyDark(shown, first.toRect().adjusted(3, 3, -3, -3)));
    QVERIFY(!testing::anyDark(shown, inPreview(*dialog, 5).toRect().adjusted(3, 3, -3, -3)));

    // The PDF has the symbols and no outline.
    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("outlines.pdf"));
    w.platform->chosenFile = pdf;
    dialog->saveAsPdf();
    const std::vector<QImage> printed = pages(pdf, 100);
    QCOMPARE(int(printed.size()), 1);
    const sheets::Sheet& sheet = dialog->layout()->sheet();
    const double dots = 100 / 25.4;
    for (int spot : {0, 5}) {
        const QRectF mm = sheet.labelRect(spot);
        const QRect edge(int(mm.left() * dots) - 1, int(mm.top() * dots) + 3, 3, int(mm.height() * dots) - 6);
        QVERIFY2(!testing::anyDark(printed[0], edge), qPrintable(QString::number(spot)));
        for (int y = edge.top(); y <= edge.bottom(); ++y)
            for (int x = edge.left(); x <= edge.right(); ++x)
                QCOMPARE(qGray(printed[0].pixel(x, y)), 255);
    }
    QVERIFY(testing::anyDark(
        printed[0],
        QRectF(sheet.contentRect(0).topLeft() * dots, sheet.contentRect(0).size() * dots).toRect()));
}

void TestLabels::saveAsPdfWritesTheCommandLinesSheet_data()
{
    QTest::addColumn<QString>("symbology");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("product"); // empty: the custom sheet below
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("csv");
    QTest::addColumn<int>("firstLabel");
    QTest::addColumn<int>("copies");
    QTest::addColumn<int>("captionChoice");
    QTest::addColumn<QStringList>("cliArgs");
    QTest::addColumn<int>("pageCount");

    QTest::newRow("letter, lines, data caption, partly used sheet")
        << "Code 128"
        << "code128"
        << "Avery 5160" << lines(40) << false << 5 << 1 << 1 << QStringList{"--first-label", "5", "--caption"}
        << 2;
    QTest::newRow("A4, copies") << "Code 39"
                                << "code39"
                                << "Avery L7160" << lines(8) << false << 1 << 3 << 0
                                << QStringList{"--copies", "3"} << 2;
    QTest::newRow("CSV, header names, caption columns")
        << "Code 128"
        << "code128"
        << "Avery 5160"
        << QStringLiteral(
               "name,sku,price\n\"Tea, green\",T-100,2.50\n\nCoffee,C-200,4.00\n\"Say \"\"hi\"\"\",H-1,1\n")
        << true << 1 << 1 << 2
        << QStringList{"--csv", "--header",         "--column", "sku", "--caption-column",
                       "name",  "--caption-column", "3"}
        << 1;
    QTest::newRow("custom sheet") << "Code 39"
                                  << "code39"
                                  << "" << lines(5) << false << 2 << 1 << 1
                                  << QStringList{"--custom-sheet",
                                                 "page=A5,label=60x30,grid=2x4,first=10x12,pitch=65x33",
                                                 "--first-label", "2", "--caption"}
                                  << 1;
}

void TestLabels::saveAsPdfWritesTheCommandLinesSheet()
{
    QFETCH(QString, symbology);
    QFETCH(QString, type);
    QFETCH(QString, product);
    QFETCH(QString, input);
    QFETCH(bool, csv);
    QFETCH(int, firstLabel);
    QFETCH(int, copies);
    QFETCH(int, captionChoice);
    QFETCH(QStringList, cliArgs);
    QFETCH(int, pageCount);

    QTemporaryDir folder;
    const QString data = folder.filePath(csv ? QStringLiteral("data.csv") : QStringLiteral("data.txt"));
    QVERIFY(testing::writeFile(data, input.toUtf8()));

    Window w(folder.path());
    testing::select(w.w.get(), symbology);
    PrintLabelsDialog* dialog = open(w);
    if (product.isEmpty()) {
        fillCustomSheet(dialog, {"A5", 60, 30, 2, 4, 10, 12, 65, 33});
    } else {
        QVERIFY(dialog->selectProduct(product));
    }
    (csv ? dialog->fromCsv : dialog->fromLines)->setChecked(true);
    w.platform->openFileAnswer = data;
    dialog->chooseFile();
    QCOMPARE(dialog->file->text(), data);
    if (csv) {
        dialog->header->setChecked(true);
        dialog->dataColumn->setText(QStringLiteral("sku"));
        dialog->captionColumns->setText(QStringLiteral("name, 3"));
    }
    dialog->firstLabel->setValue(firstLabel);
    dialog->copies->setValue(copies);
    dialog->caption->setCurrentIndex(captionChoice);

    const QString fromDialog = folder.filePath(QStringLiteral("dialog.pdf"));
    w.platform->chosenFile = fromDialog;
    dialog->saveAsPdf();
    QVERIFY2(QFileInfo::exists(fromDialog), qPrintable(dialog->notes->toPlainText()));
    for (const testing::Message& m : w.platform->messages)
        QVERIFY2(m.icon != QMessageBox::Warning, qPrintable(m.text));
    QVERIFY2(dialog->notes->toPlainText().contains(QStringLiteral("Scan check: all")),
             qPrintable(dialog->notes->toPlainText()));

    const QString fromCli = folder.filePath(QStringLiteral("cli.pdf"));
    QStringList args{QStringLiteral("-t"), type,   QStringLiteral("--batch"), data,
                     QStringLiteral("-o"), fromCli};
    if (!product.isEmpty())
        args << QStringLiteral("--sheet") << product;
    args << cliArgs << windowOptions(w);
    const Run run = runProgram(args);
    QVERIFY2(run.status == 0, qPrintable(run.err));

    const std::vector<QImage> a = pages(fromDialog, 72);
    const std::vector<QImage> b = pages(fromCli, 72);
    QCOMPARE(int(a.size()), pageCount);
    QCOMPARE(int(b.size()), pageCount);
    for (size_t i = 0; i < a.size(); ++i) {
        QVERIFY(testing::anyDark(a[i], a[i].rect()));
        QVERIFY2(testing::samePixels(a[i], b[i]), qPrintable(QStringLiteral("page %1").arg(i + 1)));
    }
}

void TestLabels::badLinesAreNamedAndLeftEmptyOrSkipped_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<QList<int>>("itemsOnPage"); // by filling order, -1 an empty label
    QTest::newRow("left empty") << 0 << QList<int>{0, -1, 2};
    QTest::newRow("skipped") << 1 << QList<int>{0, 2};
}

void TestLabels::badLinesAreNamedAndLeftEmptyOrSkipped()
{
    QFETCH(int, choice);
    QFETCH(QList<int>, itemsOnPage);
    Window w(m_folder.path());
    testing::select(w.w.get(), QStringLiteral("Interleaved 2 of 5"));
    PrintLabelsDialog* dialog = open(w);
    QVERIFY(dialog->selectProduct(QStringLiteral("Avery 5160")));
    dialog->fromLines->setChecked(true);
    dialog->file->clear();
    dialog->pasted->setPlainText(QStringLiteral("1234\nAB\n\n5678\n"));
    dialog->badLines->setCurrentIndex(choice);
    dialog->refresh();
    QList<int> items;
    for (const sheets::Slot& slot : dialog->layout()->slotsOnPage(0))
        items << slot.item;
    QCOMPARE(items, itemsOnPage);
    // Named by its line, the blank line counted.
    const QString notes = dialog->notes->toPlainText();
    QVERIFY2(notes.contains(QStringLiteral("Line 2:")), qPrintable(notes));
    QVERIFY2(notes.contains(choice == 0 ? QStringLiteral("left empty") : QStringLiteral("skipped")),
             qPrintable(notes));
    QVERIFY(dialog->pdfButton->isEnabled());
}

void TestLabels::labelsThatDoNotReadAreNamed()
{
    Window w(m_folder.path());
    testing::select(w.w.get(), QStringLiteral("Code 128"));
    LabelSymbols symbols = w->labelSymbols();
    // A decoder that cannot read one of the data.
    const output::ReadBack real = symbols.readBack;
    symbols.readBack = [real](const QImage& picture, const QString& reading) {
        return reading == QLatin1String("L005") ? QStringLiteral("read as nothing") : real(picture, reading);
    };
    PrintLabelsDialog dialog(*w.platform, symbols, w.w.get());
    QVERIFY(dialog.selectProduct(QStringLiteral("Avery 5160")));
    dialog.fromLines->setChecked(true);
    dialog.file->clear();
    dialog.pasted->setPlainText(lines(6));
    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("unread.pdf"));
    w.platform->chosenFile = pdf;
    dialog.saveAsPdf();
    QVERIFY(QFileInfo::exists(pdf));
    // The fifth label: the second row's second column.
    const QString notes = dialog.notes->toPlainText();
    QVERIFY2(notes.contains(QStringLiteral("Page 1, row 2, column 2 (line 5): read as nothing")),
             qPrintable(notes));
    QVERIFY2(notes.contains(QStringLiteral("1 of 6 labels do not read")), qPrintable(notes));
    QCOMPARE(int(w.platform->messages.size()), 1);
    QCOMPARE(w.platform->messages[0].icon, QMessageBox::Warning);
    QVERIFY(w.platform->messages[0].text.contains(QStringLiteral("row 2, column 2")));
}

void TestLabels::aSymbolTooLargeForItsLabelIsSaid()
{
    Window w(m_folder.path());
    testing::select(w.w.get(), QStringLiteral("Code 128"));
    PrintLabelsDialog* dialog = open(w);
    fillCustomSheet(dialog, {"A4", 15, 10, 2, 2, 10, 10, 20, 12});
    dialog->fromLines->setChecked(true);
    dialog->file->clear();
    dialog->pasted->setPlainText(QStringLiteral("1\nABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789\n"));
    dialog->refresh();
    // Seen in the preview, before anything is printed.
    QVERIFY2(dialog->notes->toPlainText().contains(QStringLiteral("Page 1, row 1, column 2 (line 2)")),
             qPrintable(dialog->notes->toPlainText()));
    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("too-large.pdf"));
    w.platform->chosenFile = pdf;
    dialog->saveAsPdf();
    QVERIFY(QFileInfo::exists(pdf));
    QCOMPARE(int(w.platform->messages.size()), 1);
    QCOMPARE(w.platform->messages[0].icon, QMessageBox::Warning);
    QVERIFY2(w.platform->messages[0].text.contains(QStringLiteral("left empty")),
             qPrintable(w.platform->messages[0].text));
    QVERIFY(w.platform->messages[0].text.contains(QStringLiteral("row 1, column 2")));
}

void TestLabels::aFailedSaveIsSaidAndWritesNothing()
{
    Window w(m_folder.path());
    PrintLabelsDialog* dialog = openOnShown(w, QStringLiteral("ABC123"));
    QVERIFY(dialog);
    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("no-such-folder/labels.pdf"));
    w.platform->chosenFile = pdf;
    dialog->saveAsPdf();
    QVERIFY(!QFileInfo::exists(pdf));
    QCOMPARE(int(w.platform->messages.size()), 1);
    QCOMPARE(w.platform->messages[0].icon, QMessageBox::Warning);
    QVERIFY2(w.platform->messages[0].text.contains(QStringLiteral("could not be written")),
             qPrintable(w.platform->messages[0].text));
    QVERIFY(!dialog->notes->toPlainText().contains(QStringLiteral("was written")));
    // Enter in the search box prints nothing.
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    dialog->search->setFocus();
    QTest::keyClick(dialog->search, Qt::Key_Return);
    QCOMPARE(w.platform->printDialogs, 0);
    QVERIFY(dialog->isVisible());
    // No button that Enter would press: Browse, the pages, Print, ...
    for (const QPushButton* button : dialog->findChildren<QPushButton*>())
        QVERIFY2(!button->isDefault(), qPrintable(button->text()));
}

void TestLabels::choicesPersist()
{
    {
        Window w(m_folder.path());
        PrintLabelsDialog* dialog = open(w);
        dialog->search->setText(QStringLiteral("L7160"));
        QVERIFY(dialog->selectProduct(QStringLiteral("Avery L7160")));
        fillCustomSheet(dialog, {"120x180", 50.5, 25, 2, 6, 8, 9.5, 55, 27});
        dialog->fromCsv->setChecked(true);
        dialog->file->setText(QStringLiteral("/somewhere/items.csv"));
        dialog->header->setChecked(true);
        dialog->dataColumn->setText(QStringLiteral("sku"));
        dialog->captionColumns->setText(QStringLiteral("name,2"));
        dialog->caption->setCurrentIndex(2);
        dialog->firstLabel->setValue(7);
        dialog->copies->setValue(2);
        dialog->badLines->setCurrentIndex(1);
        dialog->reject();
    }
    Window w(m_folder.path());
    PrintLabelsDialog* dialog = open(w);
    QVERIFY(dialog->useCustom->isChecked());
    QCOMPARE(dialog->customPage->currentText(), QStringLiteral("120x180"));
    QCOMPARE(dialog->labelWidth->value(), 50.5);
    QCOMPARE(dialog->labelHeight->value(), 25.0);
    QCOMPARE(dialog->columns->value(), 2);
    QCOMPARE(dialog->rows->value(), 6);
    QCOMPARE(dialog->firstLeft->value(), 8.0);
    QCOMPARE(dialog->firstTop->value(), 9.5);
    QCOMPARE(dialog->pitchAcross->value(), 55.0);
    QCOMPARE(dialog->pitchDown->value(), 27.0);
    QCOMPARE(dialog->search->text(), QStringLiteral("L7160"));
    QCOMPARE(dialog->products->currentItem()->text(0), QStringLiteral("Avery L7160"));
    QVERIFY(dialog->fromCsv->isChecked());
    QCOMPARE(dialog->file->text(), QStringLiteral("/somewhere/items.csv"));
    QVERIFY(dialog->header->isChecked());
    QCOMPARE(dialog->dataColumn->text(), QStringLiteral("sku"));
    QCOMPARE(dialog->captionColumns->text(), QStringLiteral("name,2"));
    QCOMPARE(dialog->caption->currentIndex(), 2);
    QCOMPARE(dialog->firstLabel->value(), 7);
    QCOMPARE(dialog->copies->value(), 2);
    QCOMPARE(dialog->badLines->currentIndex(), 1);
    // The custom sheet is the one chosen: its page and grid.
    dialog->file->clear();
    dialog->fromLines->setChecked(true);
    dialog->pasted->setPlainText(QStringLiteral("A1\n"));
    dialog->refresh();
    QVERIFY(dialog->layout());
    QCOMPARE(dialog->layout()->sheet().pageMm, QSizeF(120, 180));
    QCOMPARE(dialog->layout()->sheet().labelsPerPage(), 12);
}

void TestLabels::printGoesThroughThePrinter()
{
    Window w(m_folder.path());
    PrintLabelsDialog* dialog = openOnShown(w, QStringLiteral("PRINT1"));
    QVERIFY(dialog);
    dialog->copies->setValue(31);
    const QString pdf = QDir(m_folder.path()).filePath(QStringLiteral("printed.pdf"));
    w.platform->pdfPath = pdf;
    QFile::remove(pdf);

    w.platform->cancelPrint = true;
    dialog->print();
    QCOMPARE(w.platform->printDialogs, 1);
    QVERIFY(!QFileInfo::exists(pdf));

    w.platform->cancelPrint = false;
    dialog->print();
    QCOMPARE(int(pages(pdf, 30).size()), 2);
    QVERIFY2(dialog->notes->toPlainText().contains(QStringLiteral("Scan check: all 31 labels read back")),
             qPrintable(dialog->notes->toPlainText()));

    dialog->printPreview();
    QCOMPARE(w.platform->previews, 1);
    QVERIFY(w.platform->messages.empty());
}

QTEST_MAIN(TestLabels)
#include "tst_labels.moc"
