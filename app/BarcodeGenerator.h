#pragma once

#include "app/Platform.h"
#include "desktop/DragData.h"
#include "draw/Surface.h"
#include "formats/Export.h"
#include "jobs/Surfaces.h"
#include "jobs/Symbologies.h"
#include "linear/LinearRenderer.h"
#include "modUPC/UPCCode.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QPrinter;
class QScrollBar;
class QTemporaryDir;

namespace draw {
class PictureBox;
}
namespace verify {
struct Request;
}
namespace output {
struct BatchProgress;
struct BatchSummary;
class SymbolSurfaces;
} // namespace output
struct BatchExportRequest;
class LinkLabel;
class PrintLabelsDialog;
class ScanMark;
struct LabelSymbols;
class frmSplashbm;

// The one window: symbology buttons, option boxes, the input and the picture
// areas. Handlers keep the names of the events they answer and stay short; the
// symbology knowledge lives in linear/, ean/ and modUPC/, the drawing in draw/.
class BarcodeGenerator : public QMainWindow {
    Q_OBJECT
  public:
    explicit BarcodeGenerator(std::unique_ptr<Platform> platform = {}, QWidget* parent = nullptr);
    ~BarcodeGenerator() override;

    static const QString kCaption;
    static inline const QString kLinkAddress = QStringLiteral("https://barcodes.example/");

    // Controls, named by their designer names (also their objectNames).
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label9 = nullptr;
    QRadioButton* Option2 = nullptr; // EAN-13
    QRadioButton* Option3 = nullptr; // UPC-A
    QRadioButton* Option4 = nullptr; // EAN-8, never shown
    QRadioButton* Option5 = nullptr; // UPC-E, never shown
    QRadioButton* Option6 = nullptr; // JAN-8, never shown
    QRadioButton* Option7 = nullptr; // JAN-13
    QRadioButton* Option8 = nullptr; // ISBN
    std::array<QRadioButton*, 4> Option1{};
    std::array<QCheckBox*, 3> Check1{};
    QCheckBox* Check2 = nullptr;
    QLineEdit* FontB = nullptr;
    QListWidget* List1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPlainTextEdit* HelpT = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command4 = nullptr;
    LinkLabel* LblLink = nullptr;
    QFrame* Line1 = nullptr;
    QAction* help = nullptr;
    // The File menu, before About, and the menu of every picture.
    QMenu* fileMenu = nullptr;
    QAction* fileAllSymbologies = nullptr;
    QAction* fileExport = nullptr;
    QAction* fileBatchExport = nullptr;
    QAction* filePrint = nullptr;
    QAction* filePrintPreview = nullptr;
    QAction* filePrintLabels = nullptr;
    QAction* printCaption = nullptr;
    QAction* fileQuit = nullptr;
    QMenu* pictureMenu = nullptr;
    QAction* pictureCopy = nullptr;
    // Hidden controls that serve as storage.
    QLineEdit* EanText = nullptr;
    QPushButton* EanGen = nullptr;
    QPushButton* cmdGen = nullptr;
    QPushButton* cmdClear = nullptr;
    QLineEdit* txtUPC = nullptr;
    QLineEdit* TempText = nullptr;
    QScrollBar* Scroll1 = nullptr;
    std::array<QLabel*, 6> L{};
    std::array<QLabel*, 6> R{};
    // What a standard decoder reads from the picture that Copy and File Save hand out.
    ScanMark* scanMark = nullptr;

    draw::Surface& Picture1() const { return *m_picture1; }
    draw::Surface& picEan() const { return *m_picEan; }
    draw::Surface& picUPC() const { return *m_picUPC; }
    draw::Surface& picUPCy() const { return *m_picUPCy; }
    draw::Surface& surface(output::SurfaceId id) const;
    draw::PictureBox* pictureBox(const draw::Surface& surface) const;
    // The symbology of the checked button.
    output::Symbology selectedSymbology() const;
    // Whether the selected picture shows a symbol: not while the input is empty,
    // the picture holds a message, or a hint stands in for an EAN or UPC-A picture.
    bool symbolShown() const;
    // What dragging the shown symbol out offers, from the last export's settings.
    output::DragData dragData();

    int LinearSymbology = 0;
    qint16 EanViewMode = 0;

    // Event handlers.
    void Form_Load();
    void Text1_Change();
    void DrawLinearBarcode();
    void Command2_Click();
    void Option1_Click(int index);
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    void Option6_Click();
    void Option7_Click();
    void Option8_Click();
    void Check1_Click(int index);
    void Check2_Click();
    void EanGen_Click();
    void cmdGen_Click();
    void Command1_Click();
    void Text1_KeyPress(int keyAscii);
    void Command4_Click();
    void cmdClear_Click();
    void List1_Click();
    void List1_DblClick();
    void List1_KeyChoice();
    void LblLink_Click();
    void LblLink_MouseMove();
    void Form_MouseMove();
    void help_Click();
    qint16 GetUPCCheckNumber(const QString& code) const;
    // Reached by no control: the EAN code-set display, save and print.
    void ShowEanModules(qint16 start);
    void Scroll1_Change();
    void EanViewCommand(qint16 index);
    void EanFileCommand(qint16 index);
    void PrintEan();
    void ShowEanAbout();
    // The File menu.
    void File_Export();
    void File_Print();
    void File_PrintPreview();
    // Print Labels...: the dialog, window-modal and not blocking; it is returned
    // open and deletes itself when closed.
    PrintLabelsDialog* File_PrintLabels();
    // The window's symbology, options and label font, lent to Print Labels.
    LabelSymbols labelSymbols() const;

    frmSplashbm* splash() const { return m_splash; }

    // Batch Export...: the dialog, then the batch with a progress dialog and a summary.
    void BatchExport();
    // The batch itself, summary message included; `keepGoing` sees every line.
    output::BatchSummary runBatchExport(const BatchExportRequest& request,
                                        const std::function<bool(const output::BatchProgress&)>& keepGoing);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void wireControls();
    void buildFileMenu();
    void updateSymbolActions();
    void writeExport(const output::ExportSettings& settings, bool standardProportions = false);
    // The shown EAN-13, JAN-13, ISBN or UPC-A in the standard proportions, drawn
    // on these surfaces; nullptr for any other symbol.
    const draw::Surface* standardSymbol(output::SymbolSurfaces& surfaces) const;
    // Prints the shown symbol; says why when it cannot, and checks the page unless previewing.
    void printShown(QPrinter& printer, bool checkPage);
    // "TSL_<data>" as File Save names its files, with this suffix.
    QString exportFileName(const QString& suffix) const;
    void dragSymbol();
    linear::Options options() const;
    void widenFor(std::optional<double> pictureWidthTwips);
    void fitCount();
    void reenterInput();
    void showSurfaces(bool picture1, bool upc, bool ean);
    void routeEanAndUpc();
    // UPC-A, EAN-13 or else Picture1, as "Clear Input" and the linear buttons choose.
    void showSelectedSurface();
    void showEanSurface();
    void showEanHint(const QString& hint);
    void drawUpc(const QString& text);
    void setCheckBoxes(int value, bool enabled);
    void eanButtonClicked(QRadioButton* button, const QString& helpText);
    void setHelp(const QString& text);
    draw::Surface& selectedSurface() const;
    // The hint shown in place of a hidden EAN or UPC-A picture, if any.
    std::optional<QString> pendingHint() const;
    bool requireInput();
    // Hands the selected picture to the scan check, or hides the mark when it shows no symbol.
    void checkScan();
    // What the scan check reads, the picture copied; nothing while no symbol is on view.
    std::optional<verify::Request> scanRequest() const;
    // The same without the picture: which symbology and data are on view.
    std::optional<verify::Request> shownSymbol() const;
    QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

    std::unique_ptr<Platform> m_platform;
    draw::Surface* m_picture1 = nullptr;
    draw::Surface* m_picEan = nullptr;
    draw::Surface* m_picUPC = nullptr;
    draw::Surface* m_picUPCy = nullptr;
    std::array<draw::PictureBox*, 4> m_boxes{};
    QWidget* m_central = nullptr;
    QButtonGroup* m_options = nullptr;
    frmSplashbm* m_splash = nullptr;
    // Holds the file a drag offers; removed with the window.
    std::unique_ptr<QTemporaryDir> m_dragFolder;
    QPoint m_pressedAt;
    draw::PictureBox* m_pressedBox = nullptr;
};
