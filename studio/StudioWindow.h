#pragma once

#include "app/BatchExport.h"
#include "desktop/DragData.h"
#include "formats/Export.h"
#include "jobs/SymbolJob.h"
#include "zint/Symbols.h"

#include <QMainWindow>
#include <QMessageBox>
#include <QThreadPool>

#include <memory>
#include <optional>

class Platform;
class PrintLabelsDialog;
class QAction;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QTemporaryDir;
class QTreeWidget;
class QTreeWidgetItem;
class ScanMark;

namespace verify {
struct Request;
}

namespace studio {

class SymbolView;

// Does the symbology answer a search? Every word of it must appear in the
// title, the name or the description, in any case.
bool kindMatches(const zintsym::Kind& kind, const QString& search);

// Every symbology the main window does not offer, one at a time: found in a
// searchable list, its data typed and its own options set while the symbol is
// redrawn and read back, then handed to the same export, print, clipboard,
// drag and batch paths as the main window's symbols.
class StudioWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit StudioWindow(Platform& platform, QWidget* parent = nullptr);
    ~StudioWindow() override;

    QLineEdit* search = nullptr;
    QTreeWidget* list = nullptr;
    QLabel* title = nullptr;
    QLabel* about = nullptr;
    QPlainTextEdit* data = nullptr;
    QLineEdit* addon = nullptr;
    QComboBox* ecc = nullptr;
    QComboBox* symbolSize = nullptr;
    QCheckBox* showText = nullptr;
    SymbolView* view = nullptr;
    ScanMark* scanMark = nullptr;
    QLabel* problem = nullptr;

    QMenu* fileMenu = nullptr;
    QAction* fileExport = nullptr;
    QAction* fileBatchExport = nullptr;
    QAction* filePrint = nullptr;
    QAction* filePrintPreview = nullptr;
    QAction* filePrintLabels = nullptr;
    // Print Labels… is inserted before this separator, with the other ways to print.
    QAction* labelsPlace = nullptr;
    QAction* fileClose = nullptr;
    QAction* editCopy = nullptr;
    QAction* editFind = nullptr;
    QAction* zoomIn = nullptr;
    QAction* zoomOut = nullptr;
    QAction* zoomFit = nullptr;

    // The chosen symbology; null before any is chosen.
    const zintsym::Kind* kind() const { return m_kind; }
    // Chooses it in the list, as a click would; false when there is none of that name.
    bool choose(QStringView name);
    zintsym::Options options() const;
    // The surface holding the symbol on view, or null while none is (no data,
    // or data the symbology refuses: the message says why).
    const draw::Surface* shownSurface() const { return m_symbol.surface; }
    bool symbolShown() const { return m_symbol.ok(); }
    // What a decoder should read from the symbol on view.
    const QString& reading() const { return m_symbol.reading; }
    // How long the last keystroke's redraw held the window's thread, and how
    // long the last drawing took on the worker.
    qint64 lastRedrawNs() const { return m_lastRedrawNs; }
    qint64 lastDrawNs() const { return m_lastDrawNs; }
    // A drawing is waiting or on its way: the picture on view is the one before.
    bool drawing() const { return m_running || m_waiting.has_value(); }
    // Waits for the latest drawing and shows it; the actions on the picture
    // call it, so they never act on a picture older than the data.
    void finishDrawing();

    void File_Export();
    void File_Print();
    void File_PrintPreview();
    void File_BatchExport();
    // The sheet dialog, drawing its labels in the chosen symbology and options.
    PrintLabelsDialog* File_PrintLabels();
    // The batch of a filled Batch Export dialog, in the chosen symbology and
    // options, then its summary; `keepGoing` sees every line.
    output::BatchSummary runBatchExport(const BatchExportRequest& request, const BatchKeepGoing& keepGoing);
    void Edit_Copy();
    // What dragging the symbol out offers, from the last export's settings.
    output::DragData dragData();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void buildMenus();
    void fillList();
    void filterList();
    void kindChosen();
    void showOptions();
    void redraw();
    void startDrawing();
    void drawingDone(quint64 serial, const output::SymbolResult& drawn, qint64 ns);
    void showSymbol(const output::SymbolResult& symbol, const QString& why);
    void updateActions();
    void checkScan();
    std::optional<verify::Request> shownSymbol() const;
    void writeExport(const output::ExportSettings& settings);
    void printShown(QPrinter& printer, bool checkPage);
    QString exportFileName(const QString& suffix) const;
    void dragSymbol();
    void restoreSettings();
    void saveSettings() const;
    void saveKindOptions() const;
    void restoreKindOptions();
    QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString& title, const QString& text);

    Platform& m_platform;
    const zintsym::Kind* m_kind = nullptr;
    // What is on view, and what the worker draws on: swapped when a drawing is shown.
    std::unique_ptr<output::SymbolSurfaces> m_front;
    std::unique_ptr<output::SymbolSurfaces> m_back;
    output::SymbolResult m_symbol; // on m_front
    struct Job {
        quint64 serial;
        const zintsym::Kind* kind;
        QString text;
        zintsym::Options options;
    };
    QThreadPool m_drawer;
    std::optional<Job> m_waiting;
    bool m_running = false;
    quint64 m_serial = 0; // of the latest redraw
    qint64 m_lastDrawNs = 0;
    QFormLayout* m_optionsForm = nullptr;
    bool m_restoring = false;
    qint64 m_lastRedrawNs = 0;
    std::unique_ptr<QTemporaryDir> m_dragFolder;
};

// Opens the window for `owner`, one for each owner: an open one is raised.
StudioWindow* openStudio(QWidget* owner, Platform& platform);

} // namespace studio
