#pragma once

// Print Labels: a whole sheet of label products, one symbol a label, from the
// window's current symbol, lines or a CSV file. Any window that draws symbols
// opens it with its own drawer; it asks the user nothing except through the
// platform seam, so tests drive it without a modal dialog.

#include "sheets/Catalogue.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetWriter.h"

#include <QDialog>
#include <QImage>
#include <QString>

#include <memory>
#include <optional>

class Platform;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTimer;
class QTreeWidget;

// What the window opening the dialog lends it: its symbols, drawn with its
// symbology, options and label font, and their read-back.
struct LabelSymbols {
    // Draws one datum as the window would; see sheets::SymbolDrawer.
    sheets::SymbolDrawer draw;
    // The scan check of a drawn label's picture; may be empty (no check).
    output::ReadBack readBack;
    // The symbol on view, for "Current symbol"; empty when none is shown.
    QString currentData;
    // The window's label font: the captions are set in it.
    QString labelFont;
};

// The preview of one page: the sheet painted as the PDF has it, with the
// labels' outlines, which are never printed.
class SheetPreview : public QWidget {
    Q_OBJECT
  public:
    explicit SheetPreview(QWidget* parent = nullptr);
    // Paints the page now; what painting it noted (labels too small, ...).
    sheets::PaintResult setPage(const sheets::SheetLayout* layout, int page);
    // Where the page lies in the widget, in its pixels.
    QRectF pageRect() const;
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    const sheets::SheetLayout* m_layout = nullptr;
    int m_page = 0;
    QImage m_image; // the page as last painted, remade when the layout or size changes
};

class PrintLabelsDialog : public QDialog {
    Q_OBJECT
  public:
    PrintLabelsDialog(Platform& platform, LabelSymbols symbols, QWidget* parent = nullptr);
    ~PrintLabelsDialog() override;

    // The products of glabels-data, read once for the program.
    static const sheets::Catalogue& catalogue();

    // The sheet.
    QRadioButton* useProduct = nullptr;
    QRadioButton* useCustom = nullptr;
    QLineEdit* search = nullptr;
    QTreeWidget* products = nullptr;
    QComboBox* customPage = nullptr; // a paper name, or WIDTHxHEIGHT in mm
    QDoubleSpinBox* labelWidth = nullptr;
    QDoubleSpinBox* labelHeight = nullptr;
    QSpinBox* columns = nullptr;
    QSpinBox* rows = nullptr;
    QDoubleSpinBox* firstLeft = nullptr;
    QDoubleSpinBox* firstTop = nullptr;
    QDoubleSpinBox* pitchAcross = nullptr;
    QDoubleSpinBox* pitchDown = nullptr;
    QCheckBox* roundLabels = nullptr;
    // The data.
    QRadioButton* fromCurrent = nullptr;
    QRadioButton* fromLines = nullptr;
    QRadioButton* fromCsv = nullptr;
    QPlainTextEdit* pasted = nullptr;
    QLineEdit* file = nullptr; // lines or CSV; empty to use the pasted text
    QCheckBox* header = nullptr;
    QLineEdit* dataColumn = nullptr;
    QLineEdit* captionColumns = nullptr; // comma-separated numbers or names
    QComboBox* caption = nullptr;        // none, the data, CSV columns
    QSpinBox* firstLabel = nullptr;
    QSpinBox* copies = nullptr;
    QComboBox* badLines = nullptr; // leave the label empty, or skip it
    // The preview and what it found.
    SheetPreview* preview = nullptr;
    QLabel* pageText = nullptr;
    QPushButton* previousPage = nullptr;
    QPushButton* nextPage = nullptr;
    QPlainTextEdit* notes = nullptr; // bad lines, warnings, the scan check's result
    QPushButton* printButton = nullptr;
    QPushButton* previewButton = nullptr;
    QPushButton* pdfButton = nullptr;

    // Selects the first listed product of that name ("Avery 5160"); false when hidden or absent.
    bool selectProduct(const QString& name);
    // The layout as filled in now (made again), or nothing with the reason in notes.
    void refresh();
    const sheets::SheetLayout* layout() const { return m_layout.get(); }
    int page() const { return m_page; }
    void showPage(int page);

    void print();
    void printPreview();
    void saveAsPdf();
    void chooseFile();

    // The choices, saved as the dialog closes and read back when it opens.
    void remember() const;
    void restore();

    void done(int result) override;

  private:
    void filterProducts();
    void fillProducts();
    void updateEnabled();
    void scheduleRefresh();
    // The custom sheet in the command line's form: --custom-sheet takes it as it is.
    QString customSpec() const;
    std::optional<sheets::Sheet> chosenSheet(QString* error) const;
    void showNotes(const QStringList& found);
    // The layout made again; false while it cannot be printed (the reason is in notes).
    bool layoutReady();
    // A printer set to the sheet's paper and name, which the print dialog then offers.
    std::unique_ptr<QPrinter> sheetPrinter() const;
    // Lists the result's labels that do not read and its warnings under the
    // layout's own notes, and says it in a message box when the result failed.
    void report(const QString& title, const sheets::PaintResult& result, const QString& done);

    Platform& m_platform;
    LabelSymbols m_symbols;
    QStackedWidget* m_sheetPages = nullptr;
    QTimer* m_refreshTimer = nullptr;
    std::unique_ptr<sheets::SheetLayout> m_layout;
    QStringList m_layoutNotes;
    QStringList m_checkNotes; // the last print's or save's scan check, until the layout changes
    int m_page = 0;
};
