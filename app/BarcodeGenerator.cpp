// Construction and layout of the main window: every control at its fixed
// rectangle in twips, in its start state, and the wiring of events to handlers.
#include "app/BarcodeGenerator.h"

#include "app/FontList.h"
#include "app/HelpTexts.h"
#include "app/LinkLabel.h"
#include "app/Placement.h"
#include "app/QtPlatform.h"
#include "app/ScanMark.h"
#include "app/frmSplashbm.h"
#include "draw/Geometry.h"
#include "draw/PictureBox.h"
#include "jobs/Fonts.h"
#include "jobs/Surfaces.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTemporaryDir>

using draw::twipsRect;
using output::tahoma;

const QString BarcodeGenerator::kCaption = QStringLiteral("Tessaline Barcode Generator  - Freeware -");

namespace {

template <typename W>
W* place(W* widget, const char* name, const QRectF& twips)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(twips.left(), twips.top(), twips.width(), twips.height()));
    return widget;
}

template <typename W>
W* place(W* widget, const char* name, double left, double top, double width, double height)
{
    return place(widget, name, QRectF(left, top, width, height));
}

QLabel* headerLabel(QWidget* parent, const char* name, const QString& text, const QRectF& twips)
{
    auto* label = place(new QLabel(text, parent), name, twips);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    return label;
}

QRadioButton* optionButton(QWidget* parent, const char* name, const QString& text, const QString& tip,
                           const QRectF& twips)
{
    auto* button = place(new QRadioButton(text, parent), name, twips);
    button->setToolTip(tip);
    return button;
}

} // namespace

BarcodeGenerator::BarcodeGenerator(std::unique_ptr<Platform> platform, QWidget* parent)
    : QMainWindow(parent), m_platform(platform ? std::move(platform) : std::make_unique<QtPlatform>(this))
{
    output::ensureTahoma();
    setObjectName(QStringLiteral("BarcodeGenerator"));
    setWindowTitle(kCaption);
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    setFont(tahoma(9));
    setAttribute(Qt::WA_QuitOnClose);
    buildControls();
    scanMark = new ScanMark(m_central);
    wireControls();
    buildFileMenu();
    Form_Load();
}

BarcodeGenerator::~BarcodeGenerator() = default;

void BarcodeGenerator::buildControls()
{
    m_central = new QWidget(this);
    m_central->setObjectName(QStringLiteral("client"));
    m_central->setMouseTracking(true);
    m_central->installEventFilter(this);
    setCentralWidget(m_central);
    QWidget* w = m_central;

    help = menuBar()->addAction(QStringLiteral("About"));
    help->setObjectName(QStringLiteral("help"));

    Image1 = place(new QLabel(w), "Image1", 1200, 240, 5760, 585);
    Image1->setPixmap(QPixmap(QStringLiteral(":/banner.png")));
    Label2 = place(new QLabel(QStringLiteral("ver.3.0"), w), "Label2", 7440, 480, 1335, 375);
    Label2->setFont(tahoma(14.25));
    // The controls as the form lists them: designer name, caption, and the
    // rectangle in twips (left, top, width, height).
    const struct {
        QLabel** control;
        const char* name;
        const char* text;
        QRectF twips;
    } headers[] = {
        {&Label3, "Label3", "Barcode Type", {1200, 960, 5775, 255}},
        {&Label4, "Label4", "Settings", {7920, 960, 2295, 255}},
        {&Label6, "Label6", "Barcode Data Input", {1200, 3480, 3855, 255}},
        {&Label1, "Label1", "Digits", {5280, 3480, 495, 255}},
    };
    for (const auto& h : headers)
        *h.control = headerLabel(w, h.name, QString::fromLatin1(h.text), h.twips);

    const struct {
        QRadioButton** control;
        const char* name;
        const char* text;
        const char* tip;
        QRectF twips;
    } options[] = {
        {&Option2, "Option2", "EAN-13", "GTIN-13", {1200, 1320, 1215, 375}},
        {&Option7, "Option7", "JAN-13", "Japanese Article Number 13", {3360, 1320, 1215, 375}},
        {&Option8, "Option8", "ISBN(Bookland EAN)", "International Standard Book Number", {5040, 1320, 2415, 375}},
        {&Option4, "Option4", "EAN- 8", "GTIN-8", {1200, 1680, 1215, 375}},
        {&Option6, "Option6", "JAN- 8", "Japanese Article Number 8", {3360, 1680, 1215, 375}},
        {&Option5, "Option5", "UPC- E", "UPC-E", {1200, 2400, 1095, 375}},
        {&Option3, "Option3", "UPC- A", "GTIN-12", {1200, 2040, 1095, 375}},
        {&Option1[0], "Option1_0", "Code 39", "USS Code 39", {3360, 2040, 1575, 375}},
        {&Option1[1], "Option1_1", "Interleaved 2 of 5", "Interleaved 2 of 5", {5040, 1680, 2175, 375}},
        {&Option1[2], "Option1_2", "Code 128", "USS Code 128", {5040, 2400, 1575, 375}},
        {&Option1[3], "Option1_3", "Codabar", "Code 2 of 7", {5040, 2040, 1575, 375}},
    };
    m_options = new QButtonGroup(this);
    m_options->setExclusive(true);
    for (const auto& o : options) {
        *o.control = optionButton(w, o.name, QString::fromLatin1(o.text), QString::fromLatin1(o.tip), o.twips);
        m_options->addButton(*o.control);
    }
    // EAN-8, JAN-8 and UPC-E have buttons that the form never shows.
    for (QRadioButton* hidden : {Option4, Option5, Option6})
        hidden->hide();
    Option1[0]->setChecked(true);

    const struct {
        const char* name;
        const char* text;
        QRectF twips;
        bool checked;
    } checks[] = {
        {"Check1_0", "Optimize for Printing", {7920, 1320, 2415, 255}, true},
        {"Check1_1", "Add Label", {7920, 1680, 1455, 255}, true},
        {"Check1_2", "Add Check Character", {7920, 2040, 2415, 255}, false},
    };
    for (size_t i = 0; i < Check1.size(); ++i) {
        Check1[i] = place(new QCheckBox(QString::fromLatin1(checks[i].text), w), checks[i].name, checks[i].twips);
        Check1[i]->setChecked(checks[i].checked);
    }

    Label8 = place(new QLabel(QStringLiteral("Label Font"), w), "Label8", 7920, 2520, 2295, 255);
    FontB = place(new QLineEdit(QStringLiteral("Tahoma"), w), "FontB", 7920, 2835, 2295, 360);
    FontB->setReadOnly(true);
    FontB->setFont(tahoma(9.75, true));
    FontB->setFocusPolicy(Qt::NoFocus);
    FontB->setStyleSheet(QStringLiteral("QLineEdit { background: #808080; color: white; }"));
    List1 = place(new FontList(w), "List1", 7920, 3240, 2295, 960);
    List1->setSortingEnabled(true);

    Text1 = place(new QLineEdit(w), "Text1", 1200, 3840, 3855, 390);
    Text1->setFont(tahoma(11.25));
    Text2 = place(new QLineEdit(w), "Text2", 5280, 3840, 495, 390);
    Text2->setReadOnly(true);
    Text2->setAlignment(Qt::AlignCenter);

    // The hints lie under the picture areas and show only when none covers them.
    Label9 = place(new QLabel(QStringLiteral("Enter 12 digit number for EAN-13"), w), "Label9", 1200, 4560,
                   4575, 495);
    Label9->setFont(tahoma(9.75));
    Label9->setWordWrap(true);
    Label9->hide();
    Label5 = place(new QLabel(QStringLiteral("Enter 11 digit number for UPC-A"), w), "Label5", 1200, 4560,
                   3975, 255);
    Label5->setFont(tahoma(9.75));

    using output::SurfaceId;
    m_picture1 = new draw::Surface(output::makeSurface(SurfaceId::Picture1, this));
    m_picEan = new draw::Surface(output::makeSurface(SurfaceId::picEan, this));
    m_picEan->setFillSolid(true);
    m_picUPC = new draw::Surface(output::makeSurface(SurfaceId::picUPC, this));
    m_picUPCy = new draw::Surface(output::makeSurface(SurfaceId::picUPCy, this));
    m_picUPCy->setVisible(false);
    m_boxes = {new draw::PictureBox(*m_picture1, w), new draw::PictureBox(*m_picEan, w),
               new draw::PictureBox(*m_picUPC, w), new draw::PictureBox(*m_picUPCy, w)};
    for (int i = 0; i < 6; ++i) {
        L[i] = new QLabel(QStringLiteral("0"), m_boxes[3]);
        L[i]->setObjectName(QStringLiteral("L_%1").arg(i));
        R[i] = new QLabel(QStringLiteral("0"), m_boxes[3]);
        R[i]->setObjectName(QStringLiteral("R_%1").arg(i));
    }
    Scroll1 = new QScrollBar(Qt::Vertical, m_boxes[1]);
    Scroll1->setObjectName(QStringLiteral("Scroll1"));
    Scroll1->setGeometry(m_boxes[1]->width() - 18, 2, 16, m_boxes[1]->height() - 4);
    Scroll1->hide();

    HelpT = place(new QPlainTextEdit(w), "HelpT", 6240, 4440, 3975, 1215);
    HelpT->setReadOnly(true);
    HelpT->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    HelpT->hide();
    Check2 = place(new QCheckBox(QStringLiteral("Help On/Off"), w), "Check2", 8760, 5760, 1455, 210);

    Command1 =
        place(new QPushButton(QStringLiteral("Copy to Clipboard"), w), "Command1", 1200, 6000, 1935, 615);
    Command4 = place(new QPushButton(QStringLiteral("File Save"), w), "Command4", 3240, 6000, 1215, 615);
    Command2 = place(new QPushButton(QStringLiteral("Clear Input"), w), "Command2", 4560, 6000, 1215, 615);
    Label7 = place(new QLabel(QStringLiteral("For more informatin on Barcodes and more, visit"), w), "Label7",
                   6000, 6120, 4215, 255);
    LblLink = place(new LinkLabel(QUrl(kLinkAddress).host(), w), "LblLink", 8040, 6360, 2175, 255);
    LblLink->setFont(tahoma(9.75));
    Line1 = place(new QFrame(w), "Line1", 8400, 6600, 1800, 15);
    Line1->setFrameShape(QFrame::HLine);

    // Hidden storage controls at the far left.
    EanText = place(new QLineEdit(QStringLiteral("EanText"), w), "EanText", 120, 3120, 615, 270);
    EanGen = place(new QPushButton(QStringLiteral("&Generate"), w), "EanGen", 120, 2520, 615, 315);
    cmdGen = place(new QPushButton(QStringLiteral("Generate Barcode"), w), "cmdGen", 120, 3600, 735, 495);
    cmdClear = place(new QPushButton(QStringLiteral("Reset Images"), w), "cmdClear", 120, 4200, 735, 495);
    txtUPC = place(new QLineEdit(QStringLiteral("097363395843"), w), "txtUPC", 120, 4920, 495, 375);
    TempText = place(new QLineEdit(w), "TempText", 120, 5880, 495, 375);
    for (QWidget* hidden :
         std::initializer_list<QWidget*>{EanText, EanGen, cmdGen, cmdClear, txtUPC, TempText})
        hidden->hide();

    // Names for screen readers where a control has no caption of its own.
    Image1->setAccessibleName(QStringLiteral("Barcode Generator banner"));
    Text1->setAccessibleName(QStringLiteral("Barcode data"));
    Text2->setAccessibleName(QStringLiteral("Number of characters"));
    HelpT->setAccessibleName(QStringLiteral("Help text"));
    List1->setAccessibleName(QStringLiteral("Label Font"));
    FontB->setAccessibleName(QStringLiteral("Label font in use"));
    LblLink->setAccessibleName(LblLink->text());
    LblLink->setAccessibleDescription(QStringLiteral("Opens %1 in the web browser").arg(kLinkAddress));

    // Tab order follows the window from top to bottom: the input and its count
    // first, then the symbology buttons row by row, the settings column, the
    // help switch, the commands and the link.
    const QList<QWidget*> tabOrder{Text1,      Text2,     Option2,    Option7,    Option8,
                                   Option1[1], Option3,   Option1[0], Option1[3], Option1[2],
                                   Check1[0],  Check1[1], Check1[2],  List1,      Check2,
                                   Command1,   Command4,  Command2,   LblLink};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i], tabOrder[i + 1]);

    const QSize client = twipsRect(0, 0, 10935, 6870).size();
    m_central->setMinimumSize(client);
    resize(client.width(), client.height() + menuBar()->sizeHint().height());
    m_central->setMinimumSize(0, 0);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        QRect centred(QPoint(), frameGeometry().size());
        centred.moveCenter(available.center());
        move(keptOnScreen(centred, available));
    }
    Text1->setFocus();
}

void BarcodeGenerator::wireControls()
{
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text1, &QLineEdit::returnPressed, this, [this] { Text1_KeyPress(13); });
    connect(Text2, &QLineEdit::textChanged, this, &BarcodeGenerator::fitCount);
    for (int i = 0; i < 4; ++i)
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    connect(Option2, &QRadioButton::clicked, this, &BarcodeGenerator::Option2_Click);
    connect(Option3, &QRadioButton::clicked, this, &BarcodeGenerator::Option3_Click);
    connect(Option4, &QRadioButton::clicked, this, &BarcodeGenerator::Option4_Click);
    connect(Option5, &QRadioButton::clicked, this, &BarcodeGenerator::Option5_Click);
    connect(Option6, &QRadioButton::clicked, this, &BarcodeGenerator::Option6_Click);
    connect(Option7, &QRadioButton::clicked, this, &BarcodeGenerator::Option7_Click);
    connect(Option8, &QRadioButton::clicked, this, &BarcodeGenerator::Option8_Click);
    for (int i = 0; i < 3; ++i)
        connect(Check1[i], &QCheckBox::toggled, this, [this, i] { Check1_Click(i); });
    connect(Check2, &QCheckBox::toggled, this, &BarcodeGenerator::Check2_Click);
    connect(Command1, &QPushButton::clicked, this, &BarcodeGenerator::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &BarcodeGenerator::Command2_Click);
    connect(Command4, &QPushButton::clicked, this, &BarcodeGenerator::Command4_Click);
    connect(EanGen, &QPushButton::clicked, this, &BarcodeGenerator::EanGen_Click);
    connect(cmdGen, &QPushButton::clicked, this, &BarcodeGenerator::cmdGen_Click);
    connect(cmdClear, &QPushButton::clicked, this, &BarcodeGenerator::cmdClear_Click);
    connect(List1, &QListWidget::itemClicked, this, &BarcodeGenerator::List1_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &BarcodeGenerator::List1_DblClick);
    connect(static_cast<FontList*>(List1), &FontList::chosenByKeyboard, this,
            &BarcodeGenerator::List1_KeyChoice);
    connect(LblLink, &LinkLabel::clicked, this, &BarcodeGenerator::LblLink_Click);
    connect(LblLink, &LinkLabel::hovered, this, &BarcodeGenerator::LblLink_MouseMove);
    connect(Scroll1, &QScrollBar::valueChanged, this, &BarcodeGenerator::Scroll1_Change);
    connect(help, &QAction::triggered, this, &BarcodeGenerator::help_Click);
}

bool BarcodeGenerator::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_central && event->type() == QEvent::MouseMove)
        Form_MouseMove();
    // Pressing on a picture and moving the pointer drags the symbol out.
    const QEvent::Type type = event->type();
    const bool mouseEvent =
        type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease || type == QEvent::MouseMove;
    if (auto* box = qobject_cast<draw::PictureBox*>(watched); box && mouseEvent) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
            m_pressedBox = box;
            m_pressedAt = mouse->position().toPoint();
        } else if (event->type() == QEvent::MouseButtonRelease) {
            m_pressedBox = nullptr;
        } else if (event->type() == QEvent::MouseMove && m_pressedBox == box &&
                   (mouse->buttons() & Qt::LeftButton) &&
                   (mouse->position().toPoint() - m_pressedAt).manhattanLength() >=
                       QApplication::startDragDistance()) {
            m_pressedBox = nullptr;
            if (&box->surface() == &selectedSurface() && symbolShown())
                dragSymbol();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void BarcodeGenerator::Form_Load()
{
    const QStringList fonts = output::screenFonts();
    List1->addItems(fonts);
    picUPC().setVisible(false);
    picEan().setVisible(false);
    if (Option1[0]->isChecked())
        setHelp(helptext::Code39);
}

draw::PictureBox* BarcodeGenerator::pictureBox(const draw::Surface& surface) const
{
    for (draw::PictureBox* box : m_boxes)
        if (&box->surface() == &surface)
            return box;
    return nullptr;
}

// The count's box is only 495 twips wide; the longest input
// has a five-digit count, which the window's font would scroll out of view.
void BarcodeGenerator::fitCount()
{
    QStyleOptionFrame frame;
    frame.initFrom(Text2);
    frame.rect = Text2->contentsRect();
    frame.lineWidth =
        Text2->hasFrame() ? Text2->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, Text2) : 0;
    frame.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
    const QMargins margins = Text2->textMargins();
    // QLineEdit keeps two pixels free on either side and one for the caret,
    // and scrolls a text that leaves it no room for them.
    const int room = Text2->style()->subElementRect(QStyle::SE_LineEditContents, &frame, Text2).width() -
                     margins.left() - margins.right() - 2 * 2 - 1;
    QFont font = this->font();
    for (;;) {
        const QFontMetrics metrics(font);
        const int bearings = std::max(0, -metrics.minLeftBearing()) + std::max(0, -metrics.minRightBearing());
        if (metrics.horizontalAdvance(Text2->text()) + bearings <= room || font.pointSizeF() <= 5)
            break;
        font.setPointSizeF(font.pointSizeF() - 0.25);
    }
    Text2->setFont(font);
}

void BarcodeGenerator::widenFor(std::optional<double> pictureWidthTwips)
{
    if (!pictureWidthTwips || *pictureWidthTwips <= 9500)
        return;
    int wanted = draw::twipsToPixels(*pictureWidthTwips + 2000);
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    // A window wider than the screen cannot be seen whole (and X refuses one
    // beyond 32767 pixels); the picture's image still holds the whole symbol.
    // The frame counts: the window manager's border must fit on the screen too.
    if (s)
        wanted = std::min(wanted, s->availableGeometry().width() - (frameGeometry().width() - width()));
    if (wanted <= width())
        return;
    resize(wanted, height());
    // Grown to the right, the window may now overhang the screen's edge.
    if (s)
        move(keptOnScreen(frameGeometry(), s->availableGeometry()));
}

void BarcodeGenerator::help_Click()
{
    if (!m_splash)
        m_splash = new frmSplashbm(this);
    m_splash->show();
    m_splash->raise();
}

// Closing the main window ends the program, the picture window included.
void BarcodeGenerator::closeEvent(QCloseEvent* event)
{
    if (m_splash)
        m_splash->close();
    QMainWindow::closeEvent(event);
}
