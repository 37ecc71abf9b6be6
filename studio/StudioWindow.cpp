#include "studio/StudioWindow.h"

#include "app/BatchExport.h"
#include "app/ExportDialog.h"
#include "app/Platform.h"
#include "app/PrintLabels.h"
#include "app/ScanMark.h"
#include "app/ShownSymbol.h"
#include "desktop/Clipboard.h"
#include "desktop/Print.h"
#include "formats/FileName.h"
#include "studio/SymbolView.h"
#include "verify/ExportCheck.h"
#include "verify/ScanCheck.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDrag>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <atomic>
#include <climits>

namespace studio {

namespace {

const QString kCaption = QStringLiteral("All Symbologies");
// Enough refused lines to act on; the rest are counted.
constexpr int kRefusedShown = 20;
// Where a symbology's item keeps its Kind.
constexpr int kKindRole = Qt::UserRole + 1;

// Its own file: the main window's start state does not depend on it.
struct Store : QSettings {
    Store()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("barcode-generator"),
                    QStringLiteral("studio"))
    {
    }
};

const zintsym::Kind* kindOf(const QTreeWidgetItem* item)
{
    return item ? static_cast<const zintsym::Kind*>(item->data(0, kKindRole).value<const void*>()) : nullptr;
}

// The symbologies whose symbol carries no human-readable line.
bool takesShowText(const zintsym::Kind& kind)
{
    return kind.group != zintsym::Group::TwoD && !(kind.options & zintsym::MultiLine) &&
           zintsym::symbolSizes(kind).isEmpty();
}

} // namespace

bool kindMatches(const zintsym::Kind& kind, const QString& search)
{
    // The group's title too: "postal" is how people look for the postal codes.
    const QString haystack = QStringLiteral("%1 %2 %3 %4")
                                 .arg(QString::fromUtf8(kind.title), QString::fromUtf8(kind.name),
                                      QString::fromUtf8(kind.description), zintsym::groupTitle(kind.group));
    const QStringList words = search.split(u' ', Qt::SkipEmptyParts);
    return std::all_of(words.begin(), words.end(),
                       [&](const QString& word) { return haystack.contains(word, Qt::CaseInsensitive); });
}

StudioWindow::StudioWindow(Platform& platform, QWidget* parent)
    : QMainWindow(parent), m_platform(platform), m_front(std::make_unique<output::SymbolSurfaces>()),
      m_back(std::make_unique<output::SymbolSurfaces>())
{
    // One drawing at a time: the other core stays with the window.
    m_drawer.setMaxThreadCount(1);
    setObjectName(QStringLiteral("StudioWindow"));
    setWindowFlag(Qt::Window);
    setWindowTitle(kCaption);
    buildControls();
    buildMenus();
    fillList();
    restoreSettings();
    if (!m_kind)
        choose(u"qr");
    redraw();
    // The window opens to type data for the symbology on view, as the main
    // window does; the search is a Ctrl+F away.
    data->setFocus();
}

StudioWindow::~StudioWindow()
{
    // Closed with the main window, it gets no close event of its own.
    saveSettings();
    // Its verdicts would come to a window half taken down, and a drawing to
    // surfaces about to go.
    scanMark->clear();
    m_waiting.reset();
    m_drawer.waitForDone();
}

void StudioWindow::buildControls()
{
    search = new QLineEdit;
    search->setObjectName(QStringLiteral("search"));
    search->setPlaceholderText(tr("Search (Ctrl+F): QR, GS1, postal, book…"));
    search->setClearButtonEnabled(true);
    search->setToolTip(tr("Shows the symbologies whose name or description holds every word typed"));
    list = new QTreeWidget;
    list->setObjectName(QStringLiteral("symbologies"));
    list->setHeaderHidden(true);
    list->setRootIsDecorated(true);
    list->setAccessibleName(tr("Symbologies"));
    auto* left = new QWidget;
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(search);
    leftLayout->addWidget(list);

    title = new QLabel;
    title->setObjectName(QStringLiteral("title"));
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    title->setFont(big);
    about = new QLabel;
    about->setObjectName(QStringLiteral("about"));
    about->setWordWrap(true);
    about->setTextFormat(Qt::PlainText);

    data = new QPlainTextEdit;
    data->setObjectName(QStringLiteral("data"));
    data->setAccessibleName(tr("Data"));
    data->setTabChangesFocus(true);
    data->setMaximumBlockCount(0);
    data->setFixedHeight(data->fontMetrics().lineSpacing() * 4 + 12);
    data->installEventFilter(this);

    addon = new QLineEdit;
    addon->setObjectName(QStringLiteral("addon"));
    addon->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,5}")), addon));
    addon->setPlaceholderText(tr("none"));
    addon->setToolTip(tr("A 2- or 5-digit add-on printed to the right of the symbol: a periodical's issue "
                         "number (2 digits) or a book's price (5 digits). Leave empty for none."));
    ecc = new QComboBox;
    ecc->setObjectName(QStringLiteral("ecc"));
    ecc->setToolTip(tr("How much of the symbol may be damaged or covered and still read. A higher level "
                       "makes a larger symbol for the same data."));
    symbolSize = new QComboBox;
    symbolSize->setObjectName(QStringLiteral("symbolSize"));
    symbolSize->setToolTip(tr("The symbol's size or version. Automatic takes the smallest that holds the "
                              "data; a fixed size keeps a series of symbols alike, and is refused when the "
                              "data does not fit in it."));
    showText = new QCheckBox(tr("Show the &text"));
    showText->setObjectName(QStringLiteral("showText"));
    showText->setToolTip(tr("Prints the data in human-readable characters with the symbol."));
    auto* optionsBox = new QWidget;
    m_optionsForm = new QFormLayout(optionsBox);
    m_optionsForm->setContentsMargins(0, 0, 0, 0);
    m_optionsForm->addRow(tr("&Add-on:"), addon);
    m_optionsForm->addRow(tr("&Error correction:"), ecc);
    m_optionsForm->addRow(tr("Symbol si&ze:"), symbolSize);
    m_optionsForm->addRow(QString(), showText);

    view = new SymbolView;
    view->setMinimumSize(320, 220);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    scanMark = new ScanMark(this);
    scanMark->setMinimumHeight(scanMark->height());
    problem = new QLabel;
    problem->setObjectName(QStringLiteral("problem"));
    problem->setWordWrap(true);
    problem->setTextFormat(Qt::PlainText);
    problem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette warn = problem->palette();
    warn.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    problem->setPalette(warn);
    problem->hide();

    auto* dataLabel = new QLabel(tr("&Data:"));
    dataLabel->setBuddy(data);
    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(title);
    rightLayout->addWidget(about);
    rightLayout->addWidget(dataLabel);
    rightLayout->addWidget(data);
    rightLayout->addWidget(optionsBox);
    rightLayout->addWidget(view, 1);
    rightLayout->addWidget(scanMark);
    rightLayout->addWidget(problem);

    auto* splitter = new QSplitter;
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    splitter->setContentsMargins(8, 8, 8, 8);
    setCentralWidget(splitter);
    resize(920, 640);

    connect(search, &QLineEdit::textChanged, this, &StudioWindow::filterList);
    connect(list, &QTreeWidget::currentItemChanged, this, &StudioWindow::kindChosen);
    connect(data, &QPlainTextEdit::textChanged, this, &StudioWindow::redraw);
    connect(addon, &QLineEdit::textChanged, this, &StudioWindow::redraw);
    connect(ecc, &QComboBox::currentIndexChanged, this, &StudioWindow::redraw);
    connect(symbolSize, &QComboBox::currentIndexChanged, this, &StudioWindow::redraw);
    connect(showText, &QCheckBox::toggled, this, &StudioWindow::redraw);
    connect(view, &SymbolView::dragRequested, this, &StudioWindow::dragSymbol);
}

void StudioWindow::buildMenus()
{
    fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    fileExport = fileMenu->addAction(tr("&Export…"), this, &StudioWindow::File_Export);
    fileExport->setObjectName(QStringLiteral("fileExport"));
    fileExport->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    fileBatchExport = fileMenu->addAction(tr("&Batch Export…"), this, &StudioWindow::File_BatchExport);
    fileBatchExport->setObjectName(QStringLiteral("fileBatchExport"));
    fileMenu->addSeparator();
    filePrint = fileMenu->addAction(tr("&Print…"), this, &StudioWindow::File_Print);
    filePrint->setObjectName(QStringLiteral("filePrint"));
    filePrint->setShortcut(QKeySequence::Print);
    filePrintPreview = fileMenu->addAction(tr("Print Pre&view…"), this, &StudioWindow::File_PrintPreview);
    filePrintPreview->setObjectName(QStringLiteral("filePrintPreview"));
    labelsPlace = fileMenu->addSeparator();
    labelsPlace->setObjectName(QStringLiteral("labelsPlace"));
    filePrintLabels = new QAction(tr("Print &Labels…"), this);
    filePrintLabels->setObjectName(QStringLiteral("filePrintLabels"));
    filePrintLabels->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(filePrintLabels, &QAction::triggered, this, &StudioWindow::File_PrintLabels);
    fileMenu->insertAction(labelsPlace, filePrintLabels);
    fileClose = fileMenu->addAction(tr("&Close"), this, &QWidget::close);
    fileClose->setObjectName(QStringLiteral("fileClose"));
    fileClose->setShortcut(QKeySequence::Close);

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    editCopy = edit->addAction(tr("&Copy"), this, &StudioWindow::Edit_Copy);
    editCopy->setObjectName(QStringLiteral("editCopy"));
    // Ctrl+C in the data box copies text; the picture's copy is the menu's.
    editCopy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    editFind = edit->addAction(tr("&Find Symbology"), this, [this] {
        search->setFocus(Qt::ShortcutFocusReason);
        search->selectAll();
    });
    editFind->setObjectName(QStringLiteral("editFind"));
    editFind->setShortcut(QKeySequence::Find);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    zoomIn = viewMenu->addAction(tr("Zoom &In"), view, &SymbolView::zoomIn);
    zoomIn->setObjectName(QStringLiteral("zoomIn"));
    zoomIn->setShortcut(QKeySequence::ZoomIn);
    zoomOut = viewMenu->addAction(tr("Zoom &Out"), view, &SymbolView::zoomOut);
    zoomOut->setObjectName(QStringLiteral("zoomOut"));
    zoomOut->setShortcut(QKeySequence::ZoomOut);
    zoomFit = viewMenu->addAction(tr("&Fit"), view, &SymbolView::zoomToFit);
    zoomFit->setObjectName(QStringLiteral("zoomFit"));
    zoomFit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));

    auto* pictureMenu = new QMenu(this);
    pictureMenu->addAction(editCopy);
    pictureMenu->addAction(fileExport);
    pictureMenu->addAction(filePrint);
    pictureMenu->addSeparator();
    pictureMenu->addAction(zoomIn);
    pictureMenu->addAction(zoomOut);
    pictureMenu->addAction(zoomFit);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this, pictureMenu](const QPoint& at) { pictureMenu->popup(view->mapToGlobal(at)); });
}

void StudioWindow::fillList()
{
    QTreeWidgetItem* group = nullptr;
    std::optional<zintsym::Group> current;
    for (const zintsym::Kind& kind : zintsym::kinds()) {
        if (!current || *current != kind.group) {
            current = kind.group;
            group = new QTreeWidgetItem(list, {zintsym::groupTitle(kind.group)});
            group->setFlags(Qt::ItemIsEnabled);
            QFont font = group->font(0);
            font.setBold(true);
            group->setFont(0, font);
        }
        auto* item = new QTreeWidgetItem(group, {QString::fromUtf8(kind.title)});
        item->setData(0, kKindRole, QVariant::fromValue(static_cast<const void*>(&kind)));
        item->setToolTip(0, QString::fromUtf8(kind.description));
    }
    list->expandAll();
}

void StudioWindow::filterList()
{
    const QString text = search->text();
    const QString exact = text.trimmed();
    QTreeWidgetItem* named = nullptr;
    for (int g = 0; g < list->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = list->topLevelItem(g);
        bool any = false;
        for (int i = 0; i < group->childCount(); ++i) {
            QTreeWidgetItem* item = group->child(i);
            const zintsym::Kind& kind = *kindOf(item);
            const bool match = kindMatches(kind, text);
            item->setHidden(!match);
            any = any || match;
            if (!named && (exact.compare(QString::fromUtf8(kind.name), Qt::CaseInsensitive) == 0 ||
                           exact.compare(QString::fromUtf8(kind.title), Qt::CaseInsensitive) == 0))
                named = item;
        }
        group->setHidden(!any);
    }
    // Searching never changes the symbology on its own, which would turn the
    // data into another symbology's error on every letter typed; only a
    // search that names one exactly chooses it.
    if (named && list->currentItem() != named)
        list->setCurrentItem(named);
}

bool StudioWindow::choose(QStringView name)
{
    const zintsym::Kind* wanted = zintsym::kindNamed(name);
    if (!wanted)
        return false;
    for (QTreeWidgetItemIterator it(list); *it; ++it) {
        if (kindOf(*it) == wanted) {
            (*it)->setHidden(false);
            if ((*it)->parent())
                (*it)->parent()->setHidden(false);
            list->setCurrentItem(*it);
            list->scrollToItem(*it);
            return true;
        }
    }
    return false;
}

void StudioWindow::kindChosen()
{
    const zintsym::Kind* chosen = kindOf(list->currentItem());
    if (!chosen || chosen == m_kind)
        return;
    if (m_kind && !m_restoring)
        saveKindOptions();
    m_kind = chosen;
    title->setText(QString::fromUtf8(chosen->title));
    about->setText(QStringLiteral("%1\n%2").arg(QString::fromUtf8(chosen->description),
                                                tr("Data: %1").arg(QString::fromUtf8(chosen->data))));
    showOptions();
    if (!m_restoring)
        restoreKindOptions();
    redraw();
}

// Only what the chosen symbology takes is on view.
void StudioWindow::showOptions()
{
    const QSignalBlocker blockEcc(ecc);
    const QSignalBlocker blockSize(symbolSize);
    const QSignalBlocker blockAddon(addon);
    const QSignalBlocker blockText(showText);
    ecc->clear();
    symbolSize->clear();
    addon->clear();
    const QStringList levels = zintsym::eccLevels(*m_kind);
    const QStringList sizes = zintsym::symbolSizes(*m_kind);
    if (!levels.isEmpty()) {
        ecc->addItem(tr("Default"), QString());
        for (const QString& level : levels)
            ecc->addItem(level, level);
    }
    if (!sizes.isEmpty()) {
        symbolSize->addItem(tr("Automatic"), 0);
        for (int i = 0; i < sizes.size(); ++i)
            symbolSize->addItem(sizes[i], i + 1);
    }
    m_optionsForm->setRowVisible(addon, (m_kind->options & zintsym::Addon) != 0);
    m_optionsForm->setRowVisible(ecc, !levels.isEmpty());
    m_optionsForm->setRowVisible(symbolSize, !sizes.isEmpty());
    m_optionsForm->setRowVisible(showText, takesShowText(*m_kind));
    // Several lines only where the symbology can hold them.
    data->setPlaceholderText(QString::fromUtf8(m_kind->data));
}

zintsym::Options StudioWindow::options() const
{
    zintsym::Options o;
    if (m_kind && (m_kind->options & zintsym::Addon))
        o.addon = addon->text();
    o.ecc = ecc->currentData().toString();
    o.symbolSize = symbolSize->currentData().toInt();
    o.showText = !m_kind || !takesShowText(*m_kind) || showText->isChecked();
    return o;
}

// Runs on every keystroke, so it only hands the work over: the symbol is
// encoded and drawn on a worker (a large 2D symbol takes longer than a frame),
// and shown, then read back by the scan check, when it is ready.
void StudioWindow::redraw()
{
    if (m_restoring)
        return;
    QElapsedTimer timer;
    timer.start();
    ++m_serial;
    const QString text = data->toPlainText();
    QString why;
    if (!m_kind || text.isEmpty()) {
        // Nothing to draw and nothing wrong.
    } else if (text.size() > output::kMaxDataLength) {
        why = output::dataTooLongMessage();
    } else if (!(m_kind->options & zintsym::MultiLine) && text.contains(u'\n')) {
        why = tr("%1 takes one line of data; remove the line breaks.").arg(QString::fromUtf8(m_kind->title));
    } else {
        m_waiting = Job{m_serial, m_kind, text, options()};
        startDrawing();
        m_lastRedrawNs = timer.nsecsElapsed();
        return;
    }
    // Refused or empty at once: no older picture stays on view meanwhile.
    m_waiting.reset();
    showSymbol({}, why);
    m_lastRedrawNs = timer.nsecsElapsed();
}

// One drawing at a time, on the surfaces not on view; a request that comes
// while it runs waits, and only the latest one waiting is drawn.
void StudioWindow::startDrawing()
{
    if (m_running || !m_waiting)
        return;
    m_running = true;
    const Job job = *std::exchange(m_waiting, std::nullopt);
    m_drawer.start([this, job, back = m_back.get()] {
        QElapsedTimer timer;
        timer.start();
        output::SymbolResult drawn;
        try {
            drawn = output::drawSymbol(*back, *job.kind, job.text, job.options);
        } catch (const std::bad_alloc&) {
            drawn = {nullptr, tr("There is not enough memory to draw this symbol.")};
        }
        QMetaObject::invokeMethod(
            this,
            [this, serial = job.serial, drawn, ns = timer.nsecsElapsed()] { drawingDone(serial, drawn, ns); },
            Qt::QueuedConnection);
    });
}

void StudioWindow::drawingDone(quint64 serial, const output::SymbolResult& drawn, qint64 ns)
{
    m_running = false;
    m_lastDrawNs = ns;
    // A newer keystroke has made this picture out of date: it is never shown.
    if (serial == m_serial) {
        std::swap(m_front, m_back);
        QString why = drawn.message;
        if (!drawn.ok() && why.isEmpty())
            why = tr("%1 cannot be drawn from this data.").arg(QString::fromUtf8(m_kind->title));
        showSymbol(drawn, why);
    }
    startDrawing();
}

void StudioWindow::finishDrawing()
{
    while (drawing()) {
        m_drawer.waitForDone();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

void StudioWindow::showSymbol(const output::SymbolResult& symbol, const QString& why)
{
    m_symbol = symbol;
    view->setSurface(m_symbol.surface);
    problem->setText(why);
    problem->setVisible(!why.isEmpty());
    updateActions();
    checkScan();
}

void StudioWindow::updateActions()
{
    const bool shown = symbolShown();
    for (QAction* action : {fileExport, filePrint, filePrintPreview, editCopy})
        action->setEnabled(shown);
}

void StudioWindow::checkScan()
{
    if (!symbolShown()) {
        scanMark->clear();
        return;
    }
    scanMark->check(
        [this]() -> std::optional<verify::Request> {
            std::optional<verify::Request> request = shownSymbol();
            if (request)
                request->image = m_symbol.surface->Image();
            return request;
        },
        nullptr);
}

std::optional<verify::Request> StudioWindow::shownSymbol() const
{
    if (!symbolShown())
        return std::nullopt;
    verify::Request request;
    request.library = verify::decoderSymbology(*m_kind);
    request.context.expected = m_symbol.reading;
    return request;
}

bool StudioWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A line break goes only into data that can hold one; elsewhere Enter is refused
    // where it is typed rather than reported after.
    if (watched == data && event->type() == QEvent::KeyPress && m_kind &&
        !(m_kind->options & zintsym::MultiLine)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QMessageBox::StandardButton StudioWindow::message(QMessageBox::Icon icon, const QString& title,
                                                  const QString& text)
{
    return m_platform.message(icon, title, text, QMessageBox::Ok);
}

void StudioWindow::Edit_Copy()
{
    finishDrawing();
    if (symbolShown())
        output::copySurface(*m_symbol.surface);
}

QString StudioWindow::exportFileName(const QString& suffix) const
{
    // The data's start names the file; a 2D symbol's whole text would make no name.
    QString start = data->toPlainText().section(u'\n', 0, 0).left(40);
    QString name = QString::fromUtf8(m_kind->name) + u'_' + output::safeFileName(start);
    while (name.toUtf8().size() + suffix.size() + 1 > output::kMaxFileNameBytes)
        name.chop(1);
    return name + u'.' + suffix;
}

void StudioWindow::File_Export()
{
    finishDrawing();
    if (!symbolShown())
        return;
    auto* dialog = new ExportDialog(*m_symbol.surface, ExportDialog::remembered(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] { writeExport(dialog->settings()); });
    dialog->open();
}

void StudioWindow::writeExport(const output::ExportSettings& settings)
{
    ExportDialog::remember(settings);
    // The data may have changed under a dialog that was opened from code.
    const std::optional<verify::Request> shown = shownSymbol();
    if (!shown)
        return;
    exportShownSymbol(m_platform, this, *m_symbol.surface, settings, *shown,
                      exportFileName(output::formatSuffix(settings.format)));
}

void StudioWindow::File_Print()
{
    finishDrawing();
    if (!symbolShown())
        return;
    const std::unique_ptr<QPrinter> printer = m_platform.printer();
    if (!m_platform.setUpPrinter(*printer, this))
        return;
    printShown(*printer, true);
}

void StudioWindow::File_PrintPreview()
{
    finishDrawing();
    if (!symbolShown())
        return;
    const std::unique_ptr<QPrinter> printer = m_platform.printer();
    m_platform.previewPrint(*printer, this, [this](QPrinter& pages) { printShown(pages, false); });
}

void StudioWindow::printShown(QPrinter& printer, bool checkPage)
{
    const std::optional<verify::Request> shown = shownSymbol();
    if (!shown)
        return;
    printShownSymbol(m_platform, printer, *m_symbol.surface, *shown, QString(), checkPage);
}

output::DragData StudioWindow::dragData()
{
    finishDrawing();
    if (!symbolShown())
        return {nullptr, tr("There is no symbol to drag.")};
    return dragShownSymbol(m_dragFolder, *m_symbol.surface, exportFileName(QStringLiteral("png")));
}

void StudioWindow::dragSymbol()
{
    output::DragData dragged = dragData();
    if (!dragged.mime) {
        message(QMessageBox::Warning, kCaption, tr("The symbol cannot be dragged: ") + dragged.error);
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(dragged.mime.release());
    const draw::Surface& surface = *m_symbol.surface;
    drag->setPixmap(QPixmap::fromImage(surface.pixels().copy(0, 0, std::min(surface.imageWidth(), 240),
                                                             std::min(surface.pixels().height(), 240))));
    drag->exec(Qt::CopyAction);
}

void StudioWindow::File_BatchExport()
{
    if (!m_kind)
        return;
    batchExportFromDialog(m_platform, this, tr("Batch Export: %1").arg(QString::fromUtf8(m_kind->title)),
                          [this](const BatchExportRequest& request, const BatchKeepGoing& keepGoing) {
                              runBatchExport(request, keepGoing);
                          });
}

PrintLabelsDialog* StudioWindow::File_PrintLabels()
{
    if (!m_kind)
        return nullptr;
    finishDrawing();
    LabelSymbols symbols;
    const zintsym::Kind* kind = m_kind;
    const zintsym::Options chosen = options();
    // The dialog's own picture areas: its labels stay this symbology's whatever
    // the window shows meanwhile.
    auto surfaces = std::make_shared<output::SymbolSurfaces>();
    symbols.draw = [surfaces, kind, chosen](const QString& text) {
        return output::drawSymbol(*surfaces, *kind, text, chosen);
    };
    symbols.readBack = verify::lineCheck(*kind);
    if (symbolShown())
        symbols.currentData = data->toPlainText();
    symbols.labelFont = surfaces->picSymbol().Font().family();
    auto* dialog = new PrintLabelsDialog(m_platform, std::move(symbols), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}

output::BatchSummary StudioWindow::runBatchExport(const BatchExportRequest& request,
                                                  const BatchKeepGoing& keepGoing)
{
    if (!m_kind)
        return {};
    output::BatchSettings settings;
    settings.library = {.kind = m_kind, .options = options()};
    // Read back as written where a decoder reads the symbology; written unread where none does.
    settings.check = verify::lineCheck(*m_kind);
    return ::runBatchExport(m_platform, request, std::move(settings), keepGoing);
}

void StudioWindow::closeEvent(QCloseEvent* event)
{
    saveSettings();
    QMainWindow::closeEvent(event);
}

void StudioWindow::restoreSettings()
{
    Store store;
    m_restoring = true;
    restoreGeometry(store.value(QStringLiteral("geometry")).toByteArray());
    view->setZoom(store.value(QStringLiteral("zoom"), 0).toInt());
    const QString name = store.value(QStringLiteral("symbology")).toString();
    if (!name.isEmpty())
        choose(name);
    data->setPlainText(store.value(QStringLiteral("data")).toString());
    // Typing goes on from the end of the remembered data, not before it.
    data->moveCursor(QTextCursor::End);
    m_restoring = false;
    if (m_kind)
        restoreKindOptions();
}

void StudioWindow::saveSettings() const
{
    Store store;
    store.setValue(QStringLiteral("geometry"), saveGeometry());
    store.setValue(QStringLiteral("zoom"), view->zoomSetting());
    if (m_kind)
        store.setValue(QStringLiteral("symbology"), QString::fromUtf8(m_kind->name));
    store.setValue(QStringLiteral("data"), data->toPlainText());
    saveKindOptions();
}

// Each symbology keeps its own options: an ECC level of one means nothing to another.
void StudioWindow::saveKindOptions() const
{
    if (!m_kind)
        return;
    Store store;
    store.beginGroup(QStringLiteral("options/") + QString::fromUtf8(m_kind->name));
    const zintsym::Options o = options();
    store.setValue(QStringLiteral("addon"), o.addon);
    store.setValue(QStringLiteral("ecc"), o.ecc);
    store.setValue(QStringLiteral("symbolSize"), o.symbolSize);
    store.setValue(QStringLiteral("showText"), showText->isChecked());
}

void StudioWindow::restoreKindOptions()
{
    Store store;
    store.beginGroup(QStringLiteral("options/") + QString::fromUtf8(m_kind->name));
    const QSignalBlocker blockEcc(ecc);
    const QSignalBlocker blockSize(symbolSize);
    const QSignalBlocker blockAddon(addon);
    const QSignalBlocker blockText(showText);
    addon->setText(store.value(QStringLiteral("addon")).toString());
    ecc->setCurrentIndex(std::max(ecc->findData(store.value(QStringLiteral("ecc")).toString()), 0));
    symbolSize->setCurrentIndex(
        std::max(symbolSize->findData(store.value(QStringLiteral("symbolSize")).toInt()), 0));
    showText->setChecked(store.value(QStringLiteral("showText"), true).toBool());
}

StudioWindow* openStudio(QWidget* owner, Platform& platform)
{
    auto* window = owner->findChild<StudioWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new StudioWindow(platform, owner);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace studio
