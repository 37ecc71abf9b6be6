// Print Labels: the sheet, the data and the placing chosen, a preview of the
// page as the PDF has it, then print, preview or save through sheets/ and the
// platform, as the command line's --sheet writes it.
#include "app/PrintLabels.h"

#include "app/Platform.h"
#include "desktop/Print.h"

#include <QApplication>
#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <unordered_set>

namespace {

const QString kTitle = QStringLiteral("Print Labels");
// The command line's: a sheet saved here and one written by --sheet are the same file.
constexpr double kCaptionPoints = 8;
constexpr int kPdfCheckDpi = 300;
// Enough lines to act on; the rest are counted.
constexpr int kNotesShown = 50;

enum ProductColumn { NameColumn, DescriptionColumn, PaperColumn, SizeColumn, LayoutColumn };
enum CaptionChoice { NoCaption, DataCaption, ColumnsCaption };

// Its own file, as the export settings have: the window's start state does not depend on it.
struct Store : QSettings {
    Store()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("barcode-generator"),
                    QStringLiteral("labels"))
    {
    }
};

QDoubleSpinBox* lengthBox(double value, double most = 2000)
{
    auto* box = new QDoubleSpinBox;
    box->setDecimals(2);
    box->setRange(0, most);
    box->setSingleStep(0.5);
    box->setSuffix(QStringLiteral(" mm"));
    box->setValue(value);
    return box;
}

QWidget* pairOf(QWidget* first, QWidget* second, const QString& between = QStringLiteral("x"))
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(first, 1);
    layout->addWidget(new QLabel(between));
    layout->addWidget(second, 1);
    return row;
}

QString number(double value)
{
    return QString::number(value, 'g', 6);
}

QString countOf(qsizetype n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

// ---------------------------------------------------------------------------

SheetPreview::SheetPreview(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(240, 300);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QSize SheetPreview::sizeHint() const
{
    return {420, 540};
}

QRectF SheetPreview::pageRect() const
{
    if (!m_layout)
        return {};
    const QSizeF page = m_layout->sheet().pageMm;
    if (page.isEmpty())
        return {};
    constexpr int kAround = 8;
    const QRectF room = QRectF(rect()).adjusted(kAround, kAround, -kAround, -kAround);
    const double scale = std::min(room.width() / page.width(), room.height() / page.height());
    const QSizeF size = page * scale;
    // Whole pixels, so that the outlines fall on the pixels the image has them at.
    return QRectF(QPointF(std::round(room.center().x() - size.width() / 2),
                          std::round(room.center().y() - size.height() / 2)),
                  QSizeF(std::round(size.width()), std::round(size.height())));
}

sheets::PaintResult SheetPreview::setPage(const sheets::SheetLayout* layout, int page)
{
    m_layout = layout;
    m_page = page;
    m_image = QImage();
    sheets::PaintResult result;
    const QRectF area = pageRect();
    if (layout && !area.isEmpty()) {
        const double ratio = devicePixelRatioF();
        m_image = QImage((area.size() * ratio).toSize(), QImage::Format_RGB32);
        m_image.fill(Qt::white);
        m_image.setDevicePixelRatio(ratio);
        const double dpi = m_image.width() / (layout->sheet().pageMm.width() / output::kMmPerInch);
        QPainter painter(&m_image);
        painter.scale(1 / ratio, 1 / ratio);
        sheets::PaintOptions options;
        options.outlines = true;
        // Fitted as the PDF fits them, so the preview shows the sheet Save as PDF writes.
        options.exactModule = true;
        options.checkDpi = kPdfCheckDpi;
        result = sheets::paintPage(painter, *layout, page, dpi, dpi, options);
    }
    update();
    return result;
}

void SheetPreview::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_layout)
        setPage(m_layout, m_page);
}

void SheetPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    if (m_image.isNull())
        return;
    const QRectF area = pageRect();
    // A shadow: the page stands out from the background in any theme.
    painter.fillRect(area.translated(3, 3), QColor(0, 0, 0, 60));
    painter.drawImage(area.topLeft(), m_image);
}

// ---------------------------------------------------------------------------

const sheets::Catalogue& PrintLabelsDialog::catalogue()
{
    static const sheets::Catalogue loaded = sheets::Catalogue::load();
    return loaded;
}

PrintLabelsDialog::PrintLabelsDialog(Platform& platform, LabelSymbols symbols, QWidget* parent)
    : QDialog(parent), m_platform(platform), m_symbols(std::move(symbols))
{
    setWindowTitle(kTitle);
    setObjectName(QStringLiteral("printLabels"));

    // The sheet: a product, or one the data set lacks.
    useProduct = new QRadioButton(tr("Label &product"));
    useCustom = new QRadioButton(tr("C&ustom sheet"));
    useProduct->setChecked(true);
    search = new QLineEdit;
    search->setPlaceholderText(tr("Search by brand, part or description, e.g. 5160"));
    search->setClearButtonEnabled(true);
    products = new QTreeWidget;
    products->setHeaderLabels({tr("Product"), tr("Description"), tr("Paper"), tr("Label"), tr("Layout")});
    products->setRootIsDecorated(false);
    products->setUniformRowHeights(true);
    products->setAlternatingRowColors(true);
    products->header()->setStretchLastSection(false);
    products->setSelectionMode(QAbstractItemView::SingleSelection);
    fillProducts();
    auto* productPage = new QWidget;
    auto* productLayout = new QVBoxLayout(productPage);
    productLayout->setContentsMargins(0, 0, 0, 0);
    productLayout->addWidget(search);
    productLayout->addWidget(products);

    customPage = new QComboBox;
    customPage->setEditable(true);
    customPage->addItems({QStringLiteral("A4"), QStringLiteral("US Letter"), QStringLiteral("US Legal"),
                          QStringLiteral("A5"), QStringLiteral("A6")});
    customPage->setToolTip(tr("A paper size, or WIDTHxHEIGHT in mm"));
    labelWidth = lengthBox(63.5);
    labelHeight = lengthBox(38.1);
    columns = new QSpinBox;
    columns->setRange(1, 100);
    columns->setValue(3);
    rows = new QSpinBox;
    rows->setRange(1, 100);
    rows->setValue(7);
    firstLeft = lengthBox(7.2);
    firstTop = lengthBox(15.1);
    pitchAcross = lengthBox(66);
    pitchDown = lengthBox(38.1);
    roundLabels = new QCheckBox(tr("R&ound labels (the width is the diameter)"));
    auto* customForm = new QWidget;
    auto* form = new QFormLayout(customForm);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(tr("P&age:"), customPage);
    form->addRow(tr("Label si&ze:"), pairOf(labelWidth, labelHeight));
    form->addRow(tr("Colu&mns x rows:"), pairOf(columns, rows));
    form->addRow(tr("First label a&t:"), pairOf(firstLeft, firstTop));
    form->addRow(tr("Pitc&h across x down:"), pairOf(pitchAcross, pitchDown));
    form->addRow(roundLabels);

    m_sheetPages = new QStackedWidget;
    m_sheetPages->addWidget(productPage);
    m_sheetPages->addWidget(customForm);
    auto* sheetBox = new QGroupBox(tr("Sheet"));
    auto* sheetLayout = new QVBoxLayout(sheetBox);
    auto* sheetChoice = new QHBoxLayout;
    sheetChoice->addWidget(useProduct);
    sheetChoice->addWidget(useCustom);
    sheetChoice->addStretch();
    sheetLayout->addLayout(sheetChoice);
    sheetLayout->addWidget(m_sheetPages);

    // The data.
    fromCurrent = new QRadioButton(tr("Current s&ymbol"));
    fromLines = new QRadioButton(tr("&Lines"));
    fromCsv = new QRadioButton(tr("C&SV"));
    pasted = new QPlainTextEdit;
    pasted->setPlaceholderText(tr("One item a line (or CSV records), or choose a file below"));
    pasted->setMaximumHeight(90);
    file = new QLineEdit;
    file->setPlaceholderText(tr("A text or CSV file; empty for the text above"));
    auto* browse = new QPushButton(tr("&Browse..."));
    header = new QCheckBox(tr("&First row names the columns"));
    dataColumn = new QLineEdit(QStringLiteral("1"));
    dataColumn->setToolTip(tr("The column of the data: its number (1 is the first) or its header's name"));
    captionColumns = new QLineEdit;
    captionColumns->setToolTip(tr("The caption's columns, by number or header name, separated by commas"));
    auto* dataBox = new QGroupBox(tr("Data"));
    auto* dataLayout = new QVBoxLayout(dataBox);
    auto* dataChoice = new QHBoxLayout;
    dataChoice->addWidget(fromCurrent);
    dataChoice->addWidget(fromLines);
    dataChoice->addWidget(fromCsv);
    dataChoice->addStretch();
    dataLayout->addLayout(dataChoice);
    dataLayout->addWidget(pasted);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(file, 1);
    fileRow->addWidget(browse);
    dataLayout->addLayout(fileRow);
    auto* csvForm = new QFormLayout;
    csvForm->addRow(header);
    csvForm->addRow(tr("Data colu&mn:"), dataColumn);
    csvForm->addRow(tr("Ca&ption columns:"), captionColumns);
    dataLayout->addLayout(csvForm);
    if (m_symbols.currentData.isEmpty()) {
        fromCurrent->setEnabled(false);
        fromCurrent->setToolTip(tr("The window shows no symbol"));
        fromLines->setChecked(true);
    } else {
        fromCurrent->setChecked(true);
    }

    // The placing.
    firstLabel = new QSpinBox;
    firstLabel->setRange(1, 10000);
    firstLabel->setToolTip(tr("Start a partly used sheet at this label: across, then down"));
    copies = new QSpinBox;
    copies->setRange(1, 100000);
    copies->setToolTip(tr("Labels each symbol fills"));
    caption = new QComboBox;
    caption->addItems({tr("None"), tr("The data"), tr("CSV columns")});
    badLines = new QComboBox;
    badLines->addItems({tr("Leave its label empty"), tr("Skip it: the next takes its label")});
    auto* placeBox = new QGroupBox(tr("Labels"));
    auto* placeForm = new QFormLayout(placeBox);
    placeForm->addRow(tr("F&irst label:"), firstLabel);
    placeForm->addRow(tr("Cop&ies of each:"), copies);
    placeForm->addRow(tr("Capt&ion:"), caption);
    placeForm->addRow(tr("A bad li&ne:"), badLines);

    // The preview and what was found.
    preview = new SheetPreview;
    previousPage = new QPushButton(tr("< P&revious"));
    nextPage = new QPushButton(tr("N&ext >"));
    pageText = new QLabel;
    pageText->setAlignment(Qt::AlignCenter);
    notes = new QPlainTextEdit;
    notes->setReadOnly(true);
    notes->setMaximumHeight(120);
    notes->setObjectName(QStringLiteral("labelNotes"));

    printButton = new QPushButton(tr("&Print..."));
    previewButton = new QPushButton(tr("Print Pre&view..."));
    pdfButton = new QPushButton(tr("Save as P&DF..."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->addButton(printButton, QDialogButtonBox::ActionRole);
    buttons->addButton(previewButton, QDialogButtonBox::ActionRole);
    buttons->addButton(pdfButton, QDialogButtonBox::ActionRole);

    auto* left = new QVBoxLayout;
    left->addWidget(sheetBox, 3);
    left->addWidget(dataBox, 2);
    left->addWidget(placeBox);
    auto* right = new QVBoxLayout;
    right->addWidget(preview, 1);
    auto* nav = new QHBoxLayout;
    nav->addWidget(previousPage);
    nav->addWidget(pageText, 1);
    nav->addWidget(nextPage);
    right->addLayout(nav);
    right->addWidget(notes);
    auto* columnsLayout = new QHBoxLayout;
    columnsLayout->addLayout(left, 3);
    columnsLayout->addLayout(right, 2);
    auto* whole = new QVBoxLayout(this);
    whole->addLayout(columnsLayout, 1);
    whole->addWidget(buttons);

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(200);
    connect(m_refreshTimer, &QTimer::timeout, this, &PrintLabelsDialog::refresh);

    restore();

    const auto changed = [this] { scheduleRefresh(); };
    connect(search, &QLineEdit::textChanged, this, &PrintLabelsDialog::filterProducts);
    connect(products, &QTreeWidget::currentItemChanged, this, changed);
    for (QRadioButton* button : {useProduct, useCustom, fromCurrent, fromLines, fromCsv})
        connect(button, &QRadioButton::toggled, this, [this, changed](bool on) {
            if (on) {
                updateEnabled();
                changed();
            }
        });
    for (QDoubleSpinBox* box : {labelWidth, labelHeight, firstLeft, firstTop, pitchAcross, pitchDown})
        connect(box, &QDoubleSpinBox::valueChanged, this, changed);
    for (QSpinBox* box : {columns, rows, firstLabel, copies})
        connect(box, &QSpinBox::valueChanged, this, changed);
    connect(customPage, &QComboBox::currentTextChanged, this, changed);
    connect(roundLabels, &QCheckBox::toggled, this, changed);
    connect(header, &QCheckBox::toggled, this, changed);
    connect(pasted, &QPlainTextEdit::textChanged, this, changed);
    for (QLineEdit* edit : {file, dataColumn, captionColumns})
        connect(edit, &QLineEdit::textChanged, this, changed);
    connect(caption, &QComboBox::currentIndexChanged, this, changed);
    connect(badLines, &QComboBox::currentIndexChanged, this, changed);
    connect(browse, &QPushButton::clicked, this, &PrintLabelsDialog::chooseFile);
    connect(previousPage, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(nextPage, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(printButton, &QPushButton::clicked, this, &PrintLabelsDialog::print);
    connect(previewButton, &QPushButton::clicked, this, &PrintLabelsDialog::printPreview);
    connect(pdfButton, &QPushButton::clicked, this, &PrintLabelsDialog::saveAsPdf);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // Enter in the search box or a field must not start printing.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);

    updateEnabled();
    refresh();
    const QSize room = screen() ? screen()->availableGeometry().size() * 0.95 : QSize(1180, 780);
    resize(std::min(1180, room.width()), std::min(780, room.height()));
}

PrintLabelsDialog::~PrintLabelsDialog() = default;

void PrintLabelsDialog::fillProducts()
{
    const std::vector<sheets::Product>& list = catalogue().products();
    QList<QTreeWidgetItem*> items;
    items.reserve(qsizetype(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        const sheets::Product& product = list[i];
        QString description = product.description;
        if (!product.equivalentOf.isEmpty())
            description += tr(" (as %1)").arg(product.equivalentOf);
        QStringList columnsText{product.name(), description};
        if (product.supported())
            columnsText << product.sheet.paperName << product.sheet.labelSizeText()
                        << product.sheet.layoutText();
        else
            columnsText << product.sheet.paperName << QString()
                        << tr("Not supported: %1").arg(product.unsupported);
        auto* item = new QTreeWidgetItem(columnsText);
        item->setData(NameColumn, Qt::UserRole, qulonglong(i));
        if (!product.supported()) {
            // Listed, so that a search for it says why, but it cannot be chosen.
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
            item->setToolTip(LayoutColumn, product.unsupported);
        }
        items << item;
    }
    products->addTopLevelItems(items);
    for (int c : {NameColumn, PaperColumn, SizeColumn, LayoutColumn})
        products->resizeColumnToContents(c);
    // A few products have long names; the rest would leave the column half empty.
    products->setColumnWidth(NameColumn, std::min(products->columnWidth(NameColumn), 170));
    // The description takes what the other columns leave: the layout stays in view.
    products->header()->setSectionResizeMode(DescriptionColumn, QHeaderView::Stretch);
    if (list.empty())
        search->setPlaceholderText(tr("No label products: %1").arg(catalogue().error()));
}

void PrintLabelsDialog::filterProducts()
{
    const std::vector<const sheets::Product*> found = catalogue().search(search->text());
    const sheets::Product* first = catalogue().products().data();
    std::unordered_set<size_t> shown;
    for (const sheets::Product* product : found)
        shown.insert(size_t(product - first));
    for (int i = 0; i < products->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = products->topLevelItem(i);
        item->setHidden(!shown.contains(size_t(item->data(NameColumn, Qt::UserRole).toULongLong())));
    }
    // The choice follows the search when the chosen product is no longer listed.
    if (QTreeWidgetItem* current = products->currentItem(); !current || current->isHidden()) {
        for (int i = 0; i < products->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = products->topLevelItem(i);
            if (!item->isHidden() && (item->flags() & Qt::ItemIsSelectable)) {
                products->setCurrentItem(item);
                return;
            }
        }
        products->setCurrentItem(nullptr);
    }
}

bool PrintLabelsDialog::selectProduct(const QString& name)
{
    for (int i = 0; i < products->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = products->topLevelItem(i);
        if (item->text(NameColumn).compare(name, Qt::CaseInsensitive) == 0 && !item->isHidden() &&
            (item->flags() & Qt::ItemIsSelectable)) {
            products->setCurrentItem(item);
            products->scrollToItem(item);
            return true;
        }
    }
    return false;
}

void PrintLabelsDialog::updateEnabled()
{
    m_sheetPages->setCurrentIndex(useCustom->isChecked() ? 1 : 0);
    const bool fromText = !fromCurrent->isChecked();
    pasted->setEnabled(fromText);
    file->setEnabled(fromText);
    const bool csv = fromCsv->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{header, dataColumn, captionColumns})
        w->setEnabled(csv);
    // Columns are a CSV's alone.
    if (!csv && caption->currentIndex() == ColumnsCaption)
        caption->setCurrentIndex(DataCaption);
}

void PrintLabelsDialog::scheduleRefresh()
{
    m_refreshTimer->start();
}

void PrintLabelsDialog::chooseFile()
{
    const QString path = m_platform.openFileName(this, tr("Data for the labels"), file->text(),
                                                 tr("Text and CSV files (*.txt *.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    file->setText(path);
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        fromCsv->setChecked(true);
    else if (fromCurrent->isChecked())
        fromLines->setChecked(true);
}

QString PrintLabelsDialog::customSpec() const
{
    const bool round = roundLabels->isChecked();
    QString spec = QStringLiteral("page=%1,label=%2x%3,grid=%4x%5,first=%6x%7,pitch=%8x%9")
                       .arg(customPage->currentText().trimmed(), number(labelWidth->value()),
                            number(round ? labelWidth->value() : labelHeight->value()))
                       .arg(columns->value())
                       .arg(rows->value())
                       .arg(number(firstLeft->value()), number(firstTop->value()),
                            number(pitchAcross->value()), number(pitchDown->value()));
    if (round)
        spec += QStringLiteral(",round");
    return spec;
}

std::optional<sheets::Sheet> PrintLabelsDialog::chosenSheet(QString* error) const
{
    if (useProduct->isChecked()) {
        const QTreeWidgetItem* item = products->currentItem();
        if (!item || item->isHidden()) {
            *error = tr("Choose a label product, or a custom sheet.");
            return std::nullopt;
        }
        const sheets::Product& product =
            catalogue().products()[size_t(item->data(NameColumn, Qt::UserRole).toULongLong())];
        if (!product.supported()) {
            *error = tr("%1 cannot be printed: %2").arg(product.name(), product.unsupported);
            return std::nullopt;
        }
        return product.sheet;
    }
    // The command line's form, so that its checks are the dialog's.
    const QString spec = customSpec();
    const sheets::CustomSheetParse parsed = sheets::parseCustomSheet(spec);
    if (!parsed.custom) {
        *error = parsed.error;
        return std::nullopt;
    }
    sheets::SheetResult made = sheets::makeSheet(*parsed.custom);
    if (!made.ok()) {
        *error = made.error;
        return std::nullopt;
    }
    return std::move(made.sheet);
}

void PrintLabelsDialog::refresh()
{
    m_refreshTimer->stop();
    QStringList found;
    // The preview keeps no pointer into a layout about to go.
    preview->setPage(nullptr, 0);
    m_layout.reset();
    m_checkNotes.clear();
    const auto finish = [&] {
        const bool printable = m_layout && m_layout->error().isEmpty();
        for (QPushButton* button : {printButton, previewButton, pdfButton})
            button->setEnabled(printable);
        m_layoutNotes = found;
        showPage(m_page);
    };

    QString error;
    std::optional<sheets::Sheet> sheet = chosenSheet(&error);
    if (!sheet) {
        found << error;
        finish();
        return;
    }

    sheets::SourceOptions source;
    source.csv = fromCsv->isChecked();
    source.header = source.csv && header->isChecked();
    source.column = output::CsvColumn::parse(
        dataColumn->text().trimmed().isEmpty() ? QStringLiteral("1") : dataColumn->text().trimmed());
    if (source.csv)
        for (const QString& column : captionColumns->text().split(QLatin1Char(','), Qt::SkipEmptyParts))
            if (!column.trimmed().isEmpty())
                source.captionColumns.push_back(output::CsvColumn::parse(column.trimmed()));
    switch (caption->currentIndex()) {
    case DataCaption: source.caption = sheets::CaptionSource::Data; break;
    case ColumnsCaption:
        source.caption =
            source.captionColumns.empty() ? sheets::CaptionSource::None : sheets::CaptionSource::Columns;
        if (source.captionColumns.empty())
            found << tr("Name the caption's columns, or choose another caption.");
        break;
    default: source.caption = sheets::CaptionSource::None; break;
    }
    if (source.caption != sheets::CaptionSource::Columns)
        source.captionColumns.clear();

    sheets::LabelSource labels;
    if (fromCurrent->isChecked()) {
        labels = sheets::fromData(m_symbols.currentData, source);
    } else if (const QString path = file->text().trimmed(); !path.isEmpty()) {
        QFile input(path);
        if (!input.open(QIODevice::ReadOnly))
            labels.error =
                tr("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), input.errorString());
        else
            labels = sheets::fromDevice(input, source);
    } else {
        labels = sheets::fromText(pasted->toPlainText(), source);
    }
    std::vector<sheets::LabelItem> items;
    std::vector<sheets::BadItem> bad;
    if (labels.ok()) {
        items = std::move(labels.items);
        bad = std::move(labels.bad);
    } else {
        found << labels.error;
    }

    sheets::LayoutOptions options;
    options.firstLabel = firstLabel->value();
    options.copies = copies->value();
    options.badLines = badLines->currentIndex() == 1 ? sheets::BadLines::Skip : sheets::BadLines::Empty;
    options.captionFont =
        QFont(m_symbols.labelFont.isEmpty() ? QStringLiteral("Tahoma") : m_symbols.labelFont);
    options.captionFont.setPointSizeF(kCaptionPoints);
    m_layout = std::make_unique<sheets::SheetLayout>(std::move(*sheet), std::move(items), std::move(bad),
                                                     options, m_symbols.draw);
    for (const sheets::BadItem& item : m_layout->bad())
        found << item.message;
    if (const QString why = m_layout->error(); !why.isEmpty() && labels.ok())
        found.prepend(why);
    else if (labels.ok())
        found.prepend(tr("%1 on %2.")
                          .arg(countOf(m_layout->labelCount(), "label", "labels"),
                               countOf(m_layout->pageCount(), "page", "pages")));
    finish();
}

void PrintLabelsDialog::showPage(int page)
{
    const int pages = m_layout ? std::max(1, m_layout->pageCount()) : 1;
    m_page = std::clamp(page, 0, pages - 1);
    const sheets::PaintResult painted = preview->setPage(m_layout.get(), m_page);
    pageText->setText(tr("Page %1 of %2").arg(m_page + 1).arg(pages));
    previousPage->setEnabled(m_page > 0);
    nextPage->setEnabled(m_page + 1 < pages);
    showNotes(m_layoutNotes + sheets::groupedNotes(painted.empty) + sheets::groupedNotes(painted.warnings) +
              m_checkNotes);
}

void PrintLabelsDialog::showNotes(const QStringList& found)
{
    QStringList shown = found.mid(0, kNotesShown);
    if (found.size() > kNotesShown)
        shown << tr("and %1 more").arg(found.size() - kNotesShown);
    notes->setPlainText(shown.join(QLatin1Char('\n')));
}

void PrintLabelsDialog::report(const QString& title, const sheets::PaintResult& result, const QString& done)
{
    if (!result.ok()) {
        m_checkNotes = {result.error};
        showPage(m_page);
        m_platform.message(QMessageBox::Warning, title, result.error, QMessageBox::Ok);
        return;
    }
    QStringList unread;
    for (const sheets::LabelNote& note : result.unread)
        unread << note.text();
    // The warnings of painting are the preview's, page by page.
    QStringList found{done + QLatin1Char('.')};
    if (m_symbols.readBack)
        found << (unread.isEmpty()
                      ? tr("Scan check: all %1 read back.").arg(countOf(result.labels, "label", "labels"))
                      : tr("Scan check: %1 of %2 do not read back:")
                            .arg(unread.size())
                            .arg(countOf(result.labels, "label", "labels")));
    found << unread;
    // Kept under the layout's notes while the pages are looked through.
    m_checkNotes = found;
    showPage(m_page);
    const auto firstTen = [](const QStringList& labels) {
        QStringList listed = labels.mid(0, 10);
        if (labels.size() > 10)
            listed << tr("and %1 more").arg(labels.size() - 10);
        return listed.join(QLatin1Char('\n'));
    };
    QStringList said;
    // Their data is on no label: as a bad line's, it is lost unless printed again.
    if (const QStringList empty = sheets::groupedNotes(result.empty); !empty.isEmpty())
        said << tr("These labels were left empty:\n%1").arg(firstTen(empty));
    if (!unread.isEmpty())
        said << tr("A standard decoder does not read these labels as their data:\n%1").arg(firstTen(unread));
    if (!said.isEmpty())
        m_platform.message(QMessageBox::Warning, title,
                           tr("%1, but:\n\n%2").arg(done, said.join(QStringLiteral("\n\n"))),
                           QMessageBox::Ok);
}

bool PrintLabelsDialog::layoutReady()
{
    refresh();
    return m_layout && m_layout->error().isEmpty();
}

std::unique_ptr<QPrinter> PrintLabelsDialog::sheetPrinter() const
{
    std::unique_ptr<QPrinter> printer = m_platform.printer();
    printer->setPageLayout(sheets::pageLayout(m_layout->sheet()));
    printer->setDocName(m_layout->sheet().name);
    return printer;
}

void PrintLabelsDialog::print()
{
    if (!layoutReady())
        return;
    const std::unique_ptr<QPrinter> printer = sheetPrinter();
    if (!m_platform.setUpPrinter(*printer, this))
        return;
    sheets::PaintOptions options;
    options.readBack = m_symbols.readBack;
    options.checkDpi = printer->resolution();
    sheets::PaintResult result;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString error = output::printPages(*printer, [&](QPagedPaintDevice& device) {
        result = sheets::paintSheet(device, *m_layout, options);
        return result.error;
    });
    QApplication::restoreOverrideCursor();
    if (!error.isEmpty())
        result.error = error;
    remember();
    report(tr("Print Labels"), result, tr("The labels were printed"));
}

void PrintLabelsDialog::printPreview()
{
    if (!layoutReady())
        return;
    const std::unique_ptr<QPrinter> printer = sheetPrinter();
    m_platform.previewPrint(*printer, this, [this](QPrinter& pages) {
        // Printing from the preview comes here too; a failure is said there.
        const sheets::PaintResult result = sheets::paintSheet(pages, *m_layout, {});
        if (!result.ok())
            m_platform.message(QMessageBox::Warning, tr("Print Labels"), result.error, QMessageBox::Ok);
    });
    remember();
}

void PrintLabelsDialog::saveAsPdf()
{
    if (!layoutReady())
        return;
    const QString folder =
        Store().value(QStringLiteral("pdfFolder"), m_platform.currentDirectory()).toString();
    const QString proposed = QDir(folder).filePath(QStringLiteral("labels.pdf"));
    QString path = m_platform.saveFileName(this, tr("Save Labels as PDF"), proposed, tr("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    Store().setValue(QStringLiteral("pdfFolder"), QFileInfo(path).absolutePath());
    sheets::PaintOptions options;
    options.readBack = m_symbols.readBack;
    options.checkDpi = kPdfCheckDpi;
    // The file chooser has asked about replacing an existing file.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const sheets::PaintResult result = sheets::writeSheetPdf(*m_layout, options, path, false);
    QApplication::restoreOverrideCursor();
    remember();
    report(tr("Save as PDF"), result, tr("%1 was written").arg(QDir::toNativeSeparators(path)));
}

void PrintLabelsDialog::remember() const
{
    Store store;
    store.setValue(QStringLiteral("custom"), useCustom->isChecked());
    if (const QTreeWidgetItem* item = products->currentItem())
        store.setValue(QStringLiteral("product"), item->text(NameColumn));
    store.setValue(QStringLiteral("search"), search->text());
    store.setValue(QStringLiteral("customSheet"), customSpec());
    store.setValue(QStringLiteral("source"), fromCsv->isChecked()     ? QStringLiteral("csv")
                                             : fromLines->isChecked() ? QStringLiteral("lines")
                                                                      : QStringLiteral("current"));
    store.setValue(QStringLiteral("file"), file->text());
    store.setValue(QStringLiteral("header"), header->isChecked());
    store.setValue(QStringLiteral("dataColumn"), dataColumn->text());
    store.setValue(QStringLiteral("captionColumns"), captionColumns->text());
    store.setValue(QStringLiteral("caption"), caption->currentIndex());
    store.setValue(QStringLiteral("firstLabel"), firstLabel->value());
    store.setValue(QStringLiteral("copies"), copies->value());
    store.setValue(QStringLiteral("skipBadLines"), badLines->currentIndex() == 1);
}

void PrintLabelsDialog::restore()
{
    Store store;
    if (const QString spec = store.value(QStringLiteral("customSheet")).toString(); !spec.isEmpty()) {
        if (const sheets::CustomSheetParse parsed = sheets::parseCustomSheet(spec); parsed.custom) {
            const sheets::CustomSheet& c = *parsed.custom;
            customPage->setCurrentText(
                !c.paper.isEmpty()
                    ? c.paper
                    : QStringLiteral("%1x%2").arg(number(c.pageMm.width()), number(c.pageMm.height())));
            labelWidth->setValue(c.labelMm.width());
            labelHeight->setValue(c.labelMm.height());
            columns->setValue(c.columns);
            rows->setValue(c.rows);
            firstLeft->setValue(c.firstMm.x());
            firstTop->setValue(c.firstMm.y());
            pitchAcross->setValue(c.pitchMm.width());
            pitchDown->setValue(c.pitchMm.height());
            roundLabels->setChecked(c.round);
        }
    }
    search->setText(store.value(QStringLiteral("search")).toString());
    filterProducts();
    if (!selectProduct(store.value(QStringLiteral("product"), QStringLiteral("Avery 5160")).toString()))
        filterProducts();
    (store.value(QStringLiteral("custom"), false).toBool() ? useCustom : useProduct)->setChecked(true);
    const QString source = store.value(QStringLiteral("source")).toString();
    const QString lastFile = store.value(QStringLiteral("file")).toString();
    // Pasted lines are not kept, so lines without their file would open on an
    // empty sheet while a symbol is on view: that symbol is the better guess.
    const bool linesToRead = source == QLatin1String("lines") && !lastFile.isEmpty();
    if (source == QLatin1String("csv"))
        fromCsv->setChecked(true);
    else if (linesToRead || !fromCurrent->isEnabled())
        fromLines->setChecked(true);
    else
        fromCurrent->setChecked(true);
    file->setText(lastFile);
    header->setChecked(store.value(QStringLiteral("header"), false).toBool());
    dataColumn->setText(store.value(QStringLiteral("dataColumn"), QStringLiteral("1")).toString());
    captionColumns->setText(store.value(QStringLiteral("captionColumns")).toString());
    caption->setCurrentIndex(std::clamp(store.value(QStringLiteral("caption"), 0).toInt(), 0, 2));
    firstLabel->setValue(store.value(QStringLiteral("firstLabel"), 1).toInt());
    copies->setValue(store.value(QStringLiteral("copies"), 1).toInt());
    badLines->setCurrentIndex(store.value(QStringLiteral("skipBadLines"), false).toBool() ? 1 : 0);
}

void PrintLabelsDialog::done(int result)
{
    remember();
    QDialog::done(result);
}
