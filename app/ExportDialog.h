#pragma once

#include "formats/Export.h"

#include <QDialog>

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

// The choices of File > Export: format, module width, resolution and colours,
// with what the file will be shown as they change. Choosing the file itself
// comes after it is accepted.
class ExportDialog : public QDialog {
    Q_OBJECT
  public:
    ExportDialog(const draw::Surface& surface, const output::ExportSettings& settings, QWidget* parent);

    output::ExportSettings settings() const;
    void setSettings(const output::ExportSettings& settings);

    // The last choices, kept between runs; the defaults before the first export.
    static output::ExportSettings remembered();
    static void remember(const output::ExportSettings& settings);
    static QString lastFolder();
    static void rememberFolder(const QString& folder);

    QComboBox* format = nullptr;
    QDoubleSpinBox* moduleMm = nullptr;
    QSpinBox* dpi = nullptr;
    QLabel* planText = nullptr;
    QPushButton* foreground = nullptr;
    QPushButton* background = nullptr;
    QCheckBox* transparent = nullptr;
    QDialogButtonBox* buttons = nullptr;

  private:
    void updatePlan();
    void chooseColour(QColor& colour, const QString& title);
    void showColours();

    const draw::Surface& m_surface;
    QColor m_foreground;
    QColor m_background;
};
