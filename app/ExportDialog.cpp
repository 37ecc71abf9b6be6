#include "app/ExportDialog.h"

#include "jobs/SymbolJob.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>

namespace {

// Its own file: the window's start state does not depend on it.
struct Store : QSettings {
    Store()
        : QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("barcode-generator"),
                    QStringLiteral("export"))
    {
    }
};

QIcon swatch(const QColor& colour)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

QString mm(double value)
{
    return QString::number(value, 'f', 1);
}

} // namespace

ExportDialog::ExportDialog(const draw::Surface& surface, const output::ExportSettings& settings,
                           QWidget* parent)
    : QDialog(parent), m_surface(surface)
{
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QStringLiteral("Export"));

    format = new QComboBox(this);
    format->setObjectName(QStringLiteral("format"));
    for (const output::Format f : output::availableFormats())
        format->addItem(output::formatName(f), int(f));

    moduleMm = new QDoubleSpinBox(this);
    moduleMm->setObjectName(QStringLiteral("moduleMm"));
    moduleMm->setDecimals(3);
    moduleMm->setRange(output::kMinModuleMm, output::kMaxModuleMm);
    moduleMm->setSingleStep(0.01);
    moduleMm->setSuffix(QStringLiteral(" mm"));

    dpi = new QSpinBox(this);
    dpi->setObjectName(QStringLiteral("dpi"));
    dpi->setRange(output::kMinDpi, output::kMaxDpi);
    dpi->setSuffix(QStringLiteral(" dpi"));

    foreground = new QPushButton(QStringLiteral("&Bars…"), this);
    foreground->setObjectName(QStringLiteral("foreground"));
    background = new QPushButton(QStringLiteral("Bac&kground…"), this);
    background->setObjectName(QStringLiteral("background"));
    transparent = new QCheckBox(QStringLiteral("&Transparent background"), this);
    transparent->setObjectName(QStringLiteral("transparent"));

    proportions = new QCheckBox(QStringLiteral("&Standard proportions"), this);
    proportions->setObjectName(QStringLiteral("proportions"));
    proportions->setToolTip(QStringLiteral(
        "Bar height, guard bars and digits as the GS1 General Specifications show them, instead of "
        "the window's picture"));

    planText = new QLabel(this);
    planText->setObjectName(QStringLiteral("plan"));
    planText->setWordWrap(true);
    planText->setTextFormat(Qt::PlainText);
    planText->setMinimumWidth(320);
    planText->setTextInteractionFlags(Qt::TextSelectableByMouse);

    buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Export…"));

    auto* form = new QFormLayout(this);
    auto* formatLabel = new QLabel(QStringLiteral("&Format:"), this);
    formatLabel->setBuddy(format);
    auto* moduleLabel = new QLabel(QStringLiteral("&Module width:"), this);
    moduleLabel->setBuddy(moduleMm);
    auto* dpiLabel = new QLabel(QStringLiteral("&Resolution:"), this);
    dpiLabel->setBuddy(dpi);
    form->addRow(formatLabel, format);
    form->addRow(moduleLabel, moduleMm);
    form->addRow(dpiLabel, dpi);
    auto* colours = new QHBoxLayout;
    colours->addWidget(foreground);
    colours->addWidget(background);
    colours->addStretch();
    form->addRow(QStringLiteral("Colours:"), colours);
    form->addRow(QString(), transparent);
    form->addRow(QString(), proportions);
    // Only where it is offered.
    form->setRowVisible(proportions, false);
    form->addRow(QStringLiteral("The file:"), planText);
    form->addRow(buttons);

    setSettings(settings);

    connect(format, &QComboBox::currentIndexChanged, this, &ExportDialog::updatePlan);
    connect(moduleMm, &QDoubleSpinBox::valueChanged, this, &ExportDialog::updatePlan);
    connect(dpi, &QSpinBox::valueChanged, this, &ExportDialog::updatePlan);
    connect(transparent, &QCheckBox::toggled, this, &ExportDialog::updatePlan);
    connect(proportions, &QCheckBox::toggled, this, &ExportDialog::updatePlan);
    connect(foreground, &QPushButton::clicked, this,
            [this] { chooseColour(m_foreground, QStringLiteral("Colour of the Bars")); });
    connect(background, &QPushButton::clicked, this,
            [this] { chooseColour(m_background, QStringLiteral("Background Colour")); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    format->setFocus();
}

ExportDialog::~ExportDialog() = default;

void ExportDialog::offerStandardProportions(std::unique_ptr<output::SymbolSurfaces> drawn,
                                            const draw::Surface& symbol)
{
    m_standardDrawn = std::move(drawn);
    m_standard = &symbol;
    proportions->setChecked(rememberedProportions());
    if (auto* form = qobject_cast<QFormLayout*>(layout()))
        form->setRowVisible(proportions, true);
    updatePlan();
}

bool ExportDialog::standardProportions() const
{
    return m_standard && proportions->isChecked();
}

const draw::Surface& ExportDialog::exported() const
{
    return standardProportions() ? *m_standard : m_surface;
}

output::ExportSettings ExportDialog::settings() const
{
    output::ExportSettings s;
    s.format = output::Format(format->currentData().toInt());
    s.moduleMm = moduleMm->value();
    s.dpi = dpi->value();
    s.foreground = m_foreground;
    s.background = m_background;
    s.transparent = transparent->isEnabled() && transparent->isChecked();
    return s;
}

void ExportDialog::setSettings(const output::ExportSettings& s)
{
    const int index = format->findData(int(s.format));
    format->setCurrentIndex(index >= 0 ? index : 0);
    moduleMm->setValue(s.moduleMm);
    dpi->setValue(s.dpi);
    m_foreground = s.foreground;
    m_background = s.background;
    transparent->setChecked(s.transparent);
    showColours();
    updatePlan();
}

void ExportDialog::chooseColour(QColor& colour, const QString& title)
{
    const QColor chosen = QColorDialog::getColor(colour, this, title);
    if (!chosen.isValid())
        return;
    colour = chosen;
    showColours();
    updatePlan();
}

void ExportDialog::showColours()
{
    foreground->setIcon(swatch(m_foreground));
    background->setIcon(swatch(m_background));
}

void ExportDialog::updatePlan()
{
    const auto f = output::Format(format->currentData().toInt());
    const bool vector = output::isVector(f);
    // A vector file has no pixels: the module is exactly as asked.
    dpi->setEnabled(!vector);
    transparent->setEnabled(output::allowsTransparency(f));
    background->setEnabled(!(transparent->isEnabled() && transparent->isChecked()));

    const output::ExportPlan p = output::plan(exported(), settings());
    QStringList lines;
    if (!p.ok()) {
        lines << p.error;
    } else if (vector) {
        lines << QStringLiteral("A module %1 mm wide; the symbol %2 x %3 mm.")
                     .arg(QString::number(p.moduleMm, 'f', 3), mm(p.sizeMm.width()), mm(p.sizeMm.height()));
    } else {
        lines << output::pixelsPerModuleText(p)
              << QStringLiteral("%1 x %2 pixels, %3 x %4 mm.")
                     .arg(p.sizePixels.width())
                     .arg(p.sizePixels.height())
                     .arg(mm(p.sizeMm.width()), mm(p.sizeMm.height()));
    }
    if (!p.warning.isEmpty())
        lines << p.warning;
    planText->setText(lines.join(u'\n'));
    // A window does not grow by itself when its text wraps to more lines: the
    // label asks for the height its text takes at its narrowest, and the
    // dialog's minimum, and so the dialog, follows.
    planText->setMinimumHeight(planText->heightForWidth(planText->minimumWidth()));
    buttons->button(QDialogButtonBox::Ok)->setEnabled(p.ok());
}

output::ExportSettings ExportDialog::remembered()
{
    Store s;
    output::ExportSettings settings;
    if (const auto f = output::formatFromSuffix(s.value(QStringLiteral("format")).toString());
        f && output::isAvailable(*f))
        settings.format = *f;
    settings.moduleMm = s.value(QStringLiteral("moduleMm"), settings.moduleMm).toDouble();
    settings.dpi = s.value(QStringLiteral("dpi"), settings.dpi).toInt();
    for (auto [key, colour] :
         {std::pair{"foreground", &settings.foreground}, std::pair{"background", &settings.background}})
        if (const QColor c = QColor::fromString(s.value(QLatin1String(key)).toString()); c.isValid())
            *colour = c;
    settings.transparent =
        s.value(QStringLiteral("transparent"), false).toBool() && output::allowsTransparency(settings.format);
    return settings;
}

void ExportDialog::remember(const output::ExportSettings& settings)
{
    Store s;
    s.setValue(QStringLiteral("format"), output::formatSuffix(settings.format));
    s.setValue(QStringLiteral("moduleMm"), settings.moduleMm);
    s.setValue(QStringLiteral("dpi"), settings.dpi);
    s.setValue(QStringLiteral("foreground"), settings.foreground.name());
    s.setValue(QStringLiteral("background"), settings.background.name());
    s.setValue(QStringLiteral("transparent"), settings.transparent);
}

bool ExportDialog::rememberedProportions()
{
    return Store().value(QStringLiteral("standardProportions"), false).toBool();
}

void ExportDialog::rememberProportions(bool standard)
{
    Store().setValue(QStringLiteral("standardProportions"), standard);
}

QString ExportDialog::lastFolder()
{
    const QString folder = Store().value(QStringLiteral("folder")).toString();
    return folder.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) : folder;
}

void ExportDialog::rememberFolder(const QString& folder)
{
    Store().setValue(QStringLiteral("folder"), folder);
}
