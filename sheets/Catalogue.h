#pragma once

// Label products of the glabels-data package, read at run time from its XML
// templates and paper sizes: nothing of the data is copied into the program.

#include "sheets/Sheet.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>
#include <vector>

namespace sheets {

struct Product {
    QString brand;
    QString part;
    QString description;
    // The part whose layout this one shares ("5160" for Avery 5260), empty for
    // a product described in full.
    QString equivalentOf;
    // Set up for rectangular and round labels; other shapes (CD, ellipse) are
    // listed but cannot be printed: `unsupported` says why.
    Sheet sheet;
    QString unsupported;

    QString name() const { return brand + QLatin1Char(' ') + part; }
    bool supported() const { return unsupported.isEmpty(); }
};

struct PaperSize {
    QString id;   // "US-Letter"
    QString name; // "US Letter"
    QSizeF sizeMm;
};

class Catalogue {
  public:
    // Where the package installs the templates: the XDG data folders'
    // libglabels-3.0/templates, or BARCODE_LABEL_TEMPLATES when set.
    static QString defaultFolder();
    // Reads every *-templates.xml and paper-sizes.xml in the folder. A file that
    // cannot be read is named in error(); the others are still loaded.
    static Catalogue load(const QString& folder = defaultFolder());

    const QString& error() const { return m_error; }
    const std::vector<Product>& products() const { return m_products; }
    const std::vector<PaperSize>& papers() const { return m_papers; }
    const PaperSize* paper(QStringView idOrName) const;

    // Products whose brand, part, "brand part" or description contain every
    // word of the text, in any case; all of them for an empty text. In the
    // catalogue's order: by brand, then part.
    std::vector<const Product*> search(QStringView text) const;
    // "Avery 5160", "avery 5160", "Avery5160": brand and part, in any case,
    // equivalent parts included; nullptr when there is none.
    const Product* find(QStringView name) const;
    // The names nearest to an unknown one, nearest first, for "did you mean".
    QStringList closest(QStringView name, int count = 5) const;

  private:
    std::vector<Product> m_products;
    std::vector<PaperSize> m_papers;
    QString m_error;
};

// One line a product is listed by: name, paper, label size, layout, and what
// is not supported.
QString productLine(const Product& product);

} // namespace sheets
