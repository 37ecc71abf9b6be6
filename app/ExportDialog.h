#pragma once

#include "formats/Export.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace draw {
class Surface;
}

namespace output {
class SymbolSurfaces;
}

// The choices of File > Export: format, module width, resolution and colours,
// with what the file will be shown as they change. Choosing the file itself
// comes after it is accepted.
class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    ExportDialog(const draw::Surface& surface, const output::ExportSettings& settings, QWidget* parent);

    ~ExportDialog() override;

    output::ExportSettings settings() const;
    void setSettings(const output::ExportSettings& settings);

    // For EAN-13, JAN-13, ISBN and UPC-A: the same number in the standard
    // proportions, offered as an option (its box checked as last time). The
    // dialog keeps the surfaces it was drawn on to show its size.
    void offerStandardProportions(std::unique_ptr<output::SymbolSurfaces> drawn, const draw::Surface& symbol);
    bool offersStandardProportions() const { return m_standard != nullptr; }
    // The option offered and checked.
    bool standardProportions() const;

    // The last choices, kept between runs; the defaults before the first export.
    static output::ExportSettings remembered();
    static void remember(const output::ExportSettings& settings);
    static bool rememberedProportions();
    static void rememberProportions(bool standard);
    static QString lastFolder();
    static void rememberFolder(const QString& folder);

    QComboBox* format = nullptr;
    QDoubleSpinBox* moduleMm = nullptr;
    QSpinBox* dpi = nullptr;
    QLabel* planText = nullptr;
    QPushButton* foreground = nullptr;
    QPushButton* background = nullptr;
    QCheckBox* transparent = nullptr;
    QCheckBox* proportions = nullptr;
    QDialogButtonBox* buttons = nullptr;

  private:
    void updatePlan();
    void chooseColour(QColor& colour, const QString& title);
    void showColours();

    // The surface being exported.
    const draw::Surface& exported() const;

    const draw::Surface& m_surface;
    std::unique_ptr<output::SymbolSurfaces> m_standardDrawn;
    const draw::Surface* m_standard = nullptr;
    QColor m_foreground;
    QColor m_background;
};
