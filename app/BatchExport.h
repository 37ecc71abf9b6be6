#pragma once

#include "jobs/BatchRunner.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class Platform;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

// What Batch Export writes: where the lines come from, where the files go and
// how they are drawn; the symbology, options and label font are the window's.
struct BatchExportRequest {
    QString linesFile;   // read line by line; empty to use `pastedLines`
    QString pastedLines; // one symbol a line
    QString folder;
    QString names = QStringLiteral("{n}"); // file name without its extension
    output::ExportSettings file;
    bool replace = false;
};

// Called after every line; false stops the batch before the next file.
using BatchKeepGoing = std::function<bool(const output::BatchProgress&)>;

// The lines, the folder and the export settings, filled by keyboard or mouse;
// the file and folder choosers go through the platform so tests never block.
class BatchExportDialog : public QDialog {
    Q_OBJECT
  public:
    BatchExportDialog(Platform& platform, QWidget* parent = nullptr);

    QPlainTextEdit* lines = nullptr;
    QLineEdit* linesFile = nullptr;
    QLineEdit* folder = nullptr;
    QLineEdit* names = nullptr;
    QComboBox* format = nullptr;
    QDoubleSpinBox* moduleMm = nullptr;
    QSpinBox* dpi = nullptr;
    QLineEdit* foreground = nullptr;
    QLineEdit* background = nullptr;
    QCheckBox* transparent = nullptr;
    QCheckBox* replace = nullptr;

    void chooseLinesFile();
    void chooseFolder();
    // The request as filled in, or why it cannot be run.
    std::optional<BatchExportRequest> request(QString* error = nullptr) const;

    void accept() override;

  private:
    void formatChanged();

    Platform& m_platform;
};

// The summary shown when a batch ends: files written, lines refused by number,
// and files written that the decoder did not read back.
QString batchSummaryText(const output::BatchSummary& summary, const QString& folder,
                         const QStringList& refused, const QStringList& unread = {});

// Runs the batch of a filled dialog with these drawing settings (symbology,
// options, read-back), then shows the summary; `keepGoing` sees every line.
output::BatchSummary runBatchExport(Platform& platform, const BatchExportRequest& request,
                                    output::BatchSettings settings, const BatchKeepGoing& keepGoing);

// Runs a batch under a window-modal progress dialog over `parent` whose Cancel
// stops it before the next file.
void runWithProgress(QWidget* parent, const std::function<void(const BatchKeepGoing&)>& run);

// Batch Export as the File menus offer it: the dialog over `parent`, titled
// `title` unless empty, then its request run under the progress dialog.
using BatchRun = std::function<void(const BatchExportRequest&, const BatchKeepGoing&)>;
void batchExportFromDialog(Platform& platform, QWidget* parent, const QString& title, const BatchRun& run);
