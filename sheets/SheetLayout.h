#pragma once

// Which item goes on which label of which page, and how large its symbol is
// drawn there.

#include "jobs/SymbolJob.h"
#include "sheets/Labels.h"
#include "sheets/Sheet.h"

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace sheets {

// Draws one item's symbol, as the window would with its symbology and
// options: output::drawSymbol for the window's own, the libzint adapter for
// the others. The surface stays valid until the next call.
using SymbolDrawer = std::function<output::SymbolResult(const QString& data)>;

enum class BadLines {
    Empty, // a bad item's label is left empty
    Skip,  // the next item takes its label
};

struct LayoutOptions {
    int firstLabel = 1; // 1-based, on the first sheet only: a partly used sheet
    int copies = 1;     // labels each item fills, one after another
    BadLines badLines = BadLines::Empty;
    // 0: each symbol as large as its label's margin allows. Otherwise the module
    // asked for: exact in a PDF, the nearest whole number of dots on a printer,
    // made smaller only where it does not fit.
    double moduleMm = 0;
    QFont captionFont; // its point size is the caption's
};

// The smallest module a symbol is still reliably read at, printed: below it
// a label gets a warning.
inline constexpr double kSmallestReadableModuleMm = 0.19;

struct Slot {
    int page = 0;  // 0-based
    int spot = 0;  // into Sheet::spots
    int item = -1; // into the items; -1 for an empty label
};

// Every item placed on the sheets. Each item's symbol is drawn once here to
// find the bad ones; nothing drawn is kept, so the pages are painted one at a
// time in constant memory.
class SheetLayout {
  public:
    SheetLayout(Sheet sheet, std::vector<LabelItem> items, std::vector<BadItem> bad,
                const LayoutOptions& options, SymbolDrawer drawer);

    const Sheet& sheet() const { return m_sheet; }
    const LayoutOptions& options() const { return m_options; }
    const std::vector<LabelItem>& items() const { return m_items; }
    // The source's bad lines and the items whose symbols could not be drawn,
    // in line order, each saying whether its label stays empty or is skipped.
    const std::vector<BadItem>& bad() const { return m_bad; }
    int pageCount() const { return m_pages; }
    int labelCount() const; // labels that get a symbol
    // The labels of a page that are filled or left empty for a bad item, in
    // filling order; the labels before the first label are not among them.
    std::vector<Slot> slotsOnPage(int page) const;
    const SymbolDrawer& drawer() const { return m_drawer; }
    // Why nothing can be printed (no labels at all), or nothing.
    QString error() const;

  private:
    Sheet m_sheet;
    std::vector<LabelItem> m_items;
    std::vector<BadItem> m_bad;
    LayoutOptions m_options;
    SymbolDrawer m_drawer;
    std::vector<int> m_slotItems; // by slot number from the first label on; -1 empty
    int m_firstSlot = 0;
    int m_pages = 0;
};

// Where a symbol and its caption go on one label, in millimetres on the page.
struct Fit {
    double moduleMm = 0;   // as drawn
    int dotsPerModule = 0; // at the resolution fitted for; 0 when exact
    QRectF symbolMm;       // the symbol's ink with its quiet zones beside it
    QRectF captionMm;      // empty without a caption
    QString error;         // does not fit even at one dot a module
    QString warning;       // fits only below the smallest readable module
    bool ok() const { return error.isEmpty(); }
};

// Fits a symbol of `modules` (the surface's inked pixels) with `captionLines`
// of the font under it into a label: centred in the label's margin, each
// module the largest whole number of dots at `dpi` that fits, or `askedMm`
// exactly when `exact` and it fits (else the largest whole dots that do).
// `quiet` modules of blank on either side of the ink stay on the label,
// though they may lie in its margin: the margin keeps ink from the label's
// edge, and a quiet zone holds none.
Fit fitSymbol(const Sheet& sheet, int spot, QSize modules, const QStringList& captionLines, const QFont& font,
              double askedMm, double dpi, bool exact, int quiet = 0);

} // namespace sheets
