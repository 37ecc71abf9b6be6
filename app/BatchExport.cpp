// Batch Export: one symbol per line of a text, written to a folder by the same
// runner and exporter as the command line's --batch.
#include "app/BatchExport.h"

#include "app/BarcodeGenerator.h"
#include "app/Platform.h"
#include "verify/ExportCheck.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

#include <atomic>
#include <climits>

namespace {

constexpr double kMmPerInch = 25.4;
// Enough refused lines to act on; the rest are counted.
constexpr int kRefusedShown = 20;

QWidget* withButton(QLineEdit* edit, QPushButton* button)
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    layout->addWidget(button);
    return row;
}

} // namespace

BatchExportDialog::BatchExportDialog(Platform& platform, QWidget* parent)
    : QDialog(parent), m_platform(platform)
{
    setWindowTitle(tr("Batch Export"));
    lines = new QPlainTextEdit;
    lines->setPlaceholderText(tr("One symbol a line, or choose a text file below"));
    linesFile = new QLineEdit;
    auto* chooseFile = new QPushButton(tr("&Browse..."));
    folder = new QLineEdit;
    auto* chooseDir = new QPushButton(tr("C&hoose..."));
    names = new QLineEdit(QStringLiteral("{n}"));
    names->setToolTip(tr("{n} is the line number, {data} the line as File Save names files"));
    format = new QComboBox;
    for (const output::Format f : output::availableFormats())
        format->addItem(output::formatName(f), int(f));
    moduleMm = new QDoubleSpinBox;
    moduleMm->setDecimals(3);
    moduleMm->setRange(0.05, kMmPerInch);
    moduleMm->setSingleStep(0.01);
    moduleMm->setValue(0.33);
    moduleMm->setSuffix(tr(" mm"));
    dpi = new QSpinBox;
    dpi->setRange(72, 9600);
    dpi->setValue(300);
    foreground = new QLineEdit(QStringLiteral("black"));
    background = new QLineEdit(QStringLiteral("white"));
    transparent = new QCheckBox(tr("&Transparent background"));
    replace = new QCheckBox(tr("&Replace existing files"));

    auto* form = new QFormLayout(this);
    form->addRow(tr("&Lines:"), lines);
    form->addRow(tr("Lines &file:"), withButton(linesFile, chooseFile));
    form->addRow(tr("&Output folder:"), withButton(folder, chooseDir));
    form->addRow(tr("File &names:"), names);
    form->addRow(tr("F&ormat:"), format);
    form->addRow(tr("&Module width:"), moduleMm);
    form->addRow(tr("Re&solution (dpi):"), dpi);
    form->addRow(tr("&Bars:"), foreground);
    form->addRow(tr("Bac&kground:"), background);
    form->addRow(transparent);
    form->addRow(replace);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Export"));
    form->addRow(buttons);

    connect(chooseFile, &QPushButton::clicked, this, &BatchExportDialog::chooseLinesFile);
    connect(chooseDir, &QPushButton::clicked, this, &BatchExportDialog::chooseFolder);
    connect(format, &QComboBox::currentIndexChanged, this, &BatchExportDialog::formatChanged);
    connect(buttons, &QDialogButtonBox::accepted, this, &BatchExportDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &BatchExportDialog::reject);
    formatChanged();
}

void BatchExportDialog::chooseLinesFile()
{
    const QString path = m_platform.openFileName(this, tr("Lines to export"), linesFile->text(),
                                                 tr("Text files (*.txt *.csv);;All files (*)"));
    if (!path.isEmpty())
        linesFile->setText(path);
}

void BatchExportDialog::chooseFolder()
{
    const QString path = m_platform.existingFolder(this, tr("Folder for the files"), folder->text());
    if (!path.isEmpty())
        folder->setText(path);
}

void BatchExportDialog::formatChanged()
{
    const auto f = output::Format(format->currentData().toInt());
    // A vector file has no pixels; one without a background only where the format has alpha.
    dpi->setEnabled(!output::isVector(f));
    transparent->setEnabled(output::allowsTransparency(f));
}

std::optional<BatchExportRequest> BatchExportDialog::request(QString* error) const
{
    const auto fail = [error](const QString& why) -> std::optional<BatchExportRequest> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    BatchExportRequest r;
    r.linesFile = linesFile->text().trimmed();
    r.pastedLines = lines->toPlainText();
    if (r.linesFile.isEmpty() && r.pastedLines.trimmed().isEmpty())
        return fail(tr("Paste the lines to export or choose a text file."));
    r.folder = folder->text().trimmed();
    if (r.folder.isEmpty())
        return fail(tr("Choose the folder for the files."));
    r.names = names->text().trimmed();
    if (const QString unknown = output::unknownPlaceholder(r.names); !unknown.isEmpty())
        return fail(tr("The file names hold %1; the placeholders are {n} and {data}.").arg(unknown));
    if (!output::patternNamesEachLine(r.names))
        return fail(tr("The file names need {n} or {data} so that each line gets its own file."));
    // The files go where the summary says: {data} is made safe line by line,
    // but the rest of the pattern is the user's text and could climb out.
    if (QDir::isAbsolutePath(r.names) ||
        QDir::fromNativeSeparators(r.names).split(QLatin1Char('/')).contains(QLatin1String("..")))
        return fail(tr("The file names must stay inside the output folder: no \"..\" folder and no "
                       "absolute path."));
    r.file.format = output::Format(format->currentData().toInt());
    r.file.moduleMm = moduleMm->value();
    r.file.dpi = dpi->value();
    r.file.foreground = QColor::fromString(foreground->text().trimmed());
    r.file.background = QColor::fromString(background->text().trimmed());
    if (!r.file.foreground.isValid() || !r.file.background.isValid())
        return fail(tr("The colours are names such as \"navy\" or #rrggbb."));
    r.file.transparent = transparent->isEnabled() && transparent->isChecked();
    r.replace = replace->isChecked();
    if (const output::ExportPlan p = output::plan(QSize(1, 1), r.file); !p.ok())
        return fail(p.error);
    return r;
}

void BatchExportDialog::accept()
{
    QString error;
    if (!request(&error)) {
        m_platform.message(QMessageBox::Warning, windowTitle(), error, QMessageBox::Ok);
        return;
    }
    QDialog::accept();
}

QString batchSummaryText(const output::BatchSummary& summary, const QString& folder,
                         const QStringList& refused, const QStringList& unread)
{
    const auto count = [](qint64 n, const char* one, const char* many) {
        return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
    };
    QString text = QStringLiteral("%1%2 written to %3%4")
                       .arg(summary.cancelled ? QStringLiteral("Cancelled: ") : QString(),
                            count(summary.written, "file", "files"), folder,
                            summary.cancelled ? QStringLiteral(", each complete.") : QStringLiteral("."));
    const auto list = [&text](const QString& heading, const QStringList& lines) {
        if (lines.isEmpty())
            return;
        text += QLatin1Char('\n') + heading;
        for (const QString& line : lines.mid(0, kRefusedShown))
            text += QLatin1Char('\n') + line;
        if (lines.size() > kRefusedShown)
            text += QStringLiteral("\nand %1 more").arg(lines.size() - kRefusedShown);
    };
    list(count(summary.failed, "line", "lines") + QStringLiteral(" refused:"), refused);
    list(count(summary.unread, "file", "files") + QStringLiteral(" written that may not scan:"), unread);
    // The lines after a failed read were never seen: neither written nor refused.
    if (!summary.inputError.isEmpty())
        text += QStringLiteral("\nThe lines could not be read to their end: %1").arg(summary.inputError);
    return text;
}

output::BatchSummary BarcodeGenerator::runBatchExport(const BatchExportRequest& request,
                                                      const BatchKeepGoing& keepGoing)
{
    output::BatchSettings settings;
    settings.symbology = selectedSymbology();
    settings.options = options();
    settings.labelFont = m_picture1->Font().family();
    // Each file is read back as it is written; one that does not read is
    // still written, and named in the summary.
    settings.check = verify::lineCheck(settings.symbology, settings.options.optimize != 0);
    return ::runBatchExport(*m_platform, request, std::move(settings), keepGoing);
}

output::BatchSummary runBatchExport(Platform& platform, const BatchExportRequest& request,
                                    output::BatchSettings settings, const BatchKeepGoing& keepGoing)
{
    const QString title = BatchExportDialog::tr("Batch Export");
    QFile file;
    QByteArray pasted;
    QBuffer buffer;
    QIODevice* input = nullptr;
    if (!request.linesFile.isEmpty()) {
        file.setFileName(request.linesFile);
        if (!file.open(QIODevice::ReadOnly)) {
            platform.message(
                QMessageBox::Warning, title,
                BatchExportDialog::tr("%1 cannot be read: %2").arg(request.linesFile, file.errorString()),
                QMessageBox::Ok);
            return {};
        }
        input = &file;
    } else {
        pasted = request.pastedLines.toUtf8();
        buffer.setBuffer(&pasted);
        buffer.open(QIODevice::ReadOnly);
        input = &buffer;
    }
    settings.file = request.file;
    settings.pattern = request.folder + QLatin1Char('/') + request.names + QLatin1Char('.') +
                       output::formatSuffix(request.file.format);
    settings.replace = request.replace;

    std::atomic<bool> cancel{false};
    QStringList refused;
    QStringList unread;
    const output::BatchSummary summary = output::BatchRunner(settings).run(
        *input, output::countLines(*input),
        [&refused, &unread](const output::LineOutcome& outcome) {
            if (outcome.written)
                unread << BatchExportDialog::tr("line %1: %2").arg(outcome.line).arg(outcome.unread);
            else
                refused << BatchExportDialog::tr("line %1: %2").arg(outcome.line).arg(outcome.message);
        },
        [&](const output::BatchProgress& progress) {
            if (keepGoing && !keepGoing(progress))
                cancel = true;
        },
        &cancel);
    platform.message(summary.failed > 0 || summary.unread > 0 || !summary.inputError.isEmpty()
                         ? QMessageBox::Warning
                         : QMessageBox::Information,
                     title, batchSummaryText(summary, request.folder, refused, unread), QMessageBox::Ok);
    return summary;
}

void runWithProgress(QWidget* parent, const std::function<void(const BatchKeepGoing&)>& run)
{
    QProgressDialog progress(QObject::tr("Writing the files..."), QObject::tr("Cancel"), 0, 0, parent);
    progress.setWindowTitle(QObject::tr("Batch Export"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    run([&progress](const output::BatchProgress& p) {
        if (p.total > 0)
            progress.setMaximum(int(std::min<qint64>(p.total, INT_MAX)));
        // A modal progress dialog handles its events here, Cancel included.
        progress.setValue(int(std::min<qint64>(p.done, INT_MAX - 1)));
        return !progress.wasCanceled();
    });
}

void batchExportFromDialog(Platform& platform, QWidget* parent, const QString& title, const BatchRun& run)
{
    BatchExportDialog dialog(platform, parent);
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::optional<BatchExportRequest> request = dialog.request();
    if (!request)
        return;
    runWithProgress(parent, [&](const BatchKeepGoing& keepGoing) { run(*request, keepGoing); });
}

void BarcodeGenerator::BatchExport()
{
    batchExportFromDialog(*m_platform, this, QString(),
                          [this](const BatchExportRequest& request, const BatchKeepGoing& keepGoing) {
                              runBatchExport(request, keepGoing);
                          });
}
