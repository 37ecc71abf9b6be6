#pragma once

// A sheet of labels: the page, one label's shape and where every label sits,
// all in millimetres from the page's top-left corner. A product of the
// catalogue and a custom sheet are both made into one.

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

namespace sheets {

enum class Shape { Rectangle, Round };

struct LabelShape {
    Shape shape = Shape::Rectangle;
    QSizeF sizeMm;       // a round label's is its diameter both ways
    double cornerMm = 0; // the rounding of a rectangle's corners
    double marginMm = 0; // nothing is drawn closer than this to the label's edge
};

// One label on the sheet.
struct LabelSpot {
    QPointF topLeftMm;
    int row = 0;    // 0-based, top to bottom
    int column = 0; // 0-based, left to right within its row
};

struct Sheet {
    QString name;        // "Avery 5160", or "Custom"
    QString description; // "Address Labels"
    QString paperName;   // "US Letter", "A4", or "100 x 150 mm"
    QSizeF pageMm;
    LabelShape label;
    // In filling order: across, then down.
    std::vector<LabelSpot> spots;
    int columns = 0; // the most labels in a row
    int rows = 0;

    int labelsPerPage() const { return int(spots.size()); }
    QRectF labelRect(int spot) const { return {spots[size_t(spot)].topLeftMm, label.sizeMm}; }
    // The area a symbol and its caption may use: the label less its margin.
    // For a round label, the square on the circle's inner circle's bounds; a
    // symbol must also keep inside the circle (see SheetLayout's fitting).
    QRectF contentRect(int spot) const;
    // "66.675 x 25.4 mm", or "38.1 mm round".
    QString labelSizeText() const;
    // "3 x 10 (30 a page)".
    QString layoutText() const;
};

// Orders spots across, then down (rows by their top within a tolerance), and
// numbers their rows and columns; sets columns and rows.
void orderSpots(Sheet& sheet);

// Why a sheet is not a sheet of labels (no labels, a label off the page,
// labels overlapping, a margin that leaves no room), or nothing: for the
// sheets a user makes. The data set's products are taken as they are.
QString checkSheet(const Sheet& sheet);

// A length as the label data writes it: a number with "pt", "in", "mm" or
// "cm", or without a unit in points. In millimetres; nothing when not a length.
std::optional<double> parseLength(QStringView text);
// A length as a user writes it on the command line or in the dialog: the same
// units, but a bare number is millimetres.
std::optional<double> parseUserLength(QStringView text);

// A paper size Qt knows, by its name or key in any case ("A4", "Letter",
// "US-Letter", "us letter"): the size in millimetres, portrait.
std::optional<QSizeF> paperSize(QStringView name);

// A sheet the catalogue lacks, as the user gives it.
struct CustomSheet {
    QString paper = QStringLiteral("A4"); // a paper name or id of the data set, or empty for pageMm
    QSizeF pageMm;
    QSizeF labelMm;
    int columns = 1;
    int rows = 1;
    QPointF firstMm;       // the first label's top-left corner
    QSizeF pitchMm;        // from one label's top-left to the next one's, across and down
    double marginMm = 1.5; // kept clear inside each label
    bool round = false;    // round labels: labelMm's width is the diameter

    // The command-line and settings form, read back by parseCustomSheet:
    // "page=A4,label=63.5x38.1,grid=3x7,first=7.2x15.1,pitch=66x38.1[,margin=1.5][,round]";
    // lengths in mm unless they carry a unit (in, mm, cm, pt), page a paper
    // name or WIDTHxHEIGHT.
    QString toSpec() const;
};

struct CustomSheetParse {
    std::optional<CustomSheet> custom;
    QString error; // what is wrong with the text, in words for the user
};
CustomSheetParse parseCustomSheet(const QString& spec);

// The sheet a custom one gives; its checkSheet() error when it cannot be printed.
struct SheetResult {
    Sheet sheet;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
SheetResult makeSheet(const CustomSheet& custom);

} // namespace sheets
