#include "app/ScanMark.h"

#include "draw/Geometry.h"
#include "draw/PictureBox.h"
#include "draw/Surface.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {
// Under the picture areas, above the command buttons (in twips): space no
// other control uses, so nothing there moves.
constexpr double kLeft = 1200, kTop = 5670, kWidth = 7440, kHeight = 315;
constexpr int kMarkSize = 14;
constexpr int kGap = 5;
} // namespace

ScanMark::ScanMark(QWidget* parent) : QWidget(parent), m_checker(new verify::AsyncChecker(this))
{
    setObjectName(QStringLiteral("ScanMark"));
    setGeometry(draw::twipsRect(kLeft, kTop, kWidth, kHeight));
    setAccessibleName(QStringLiteral("Scan check"));
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("ScanMarkText"));
    m_label->setTextFormat(Qt::PlainText);
    // The whole widget answers the pointer, so the tooltip shows over the text too.
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    layoutText();
    hide();
    connect(m_checker, &verify::AsyncChecker::checked, this, &ScanMark::showVerdict);
    connect(m_checker, &verify::AsyncChecker::nothingToCheck, this, &ScanMark::hideMark);
}

void ScanMark::check(verify::AsyncChecker::Source source, draw::PictureBox* picture)
{
    if (picture != m_picture) {
        restoreDescription();
        m_picture = picture;
    }
    m_checker->check(std::move(source));
}

void ScanMark::clear()
{
    m_checker->cancel();
    hideMark();
}

void ScanMark::hideMark()
{
    restoreDescription();
    m_picture = nullptr;
    m_verdict.reset();
    setToolTip(QString());
    setAccessibleDescription(QString());
    m_label->clear();
    hide();
}

void ScanMark::restoreDescription()
{
    if (m_picture)
        m_picture->setAccessibleDescription(m_picture->surface().description());
}

void ScanMark::showVerdict(const verify::Verdict& verdict)
{
    m_verdict = verdict;
    const QString line = verdict.headline();
    layoutText();
    setToolTip(verdict.details());
    setAccessibleDescription(verdict.details());
    if (m_picture)
        m_picture->setAccessibleDescription(m_picture->surface().description() + QStringLiteral(". ") + line);
    QWidget::show();
    update();
    emit shown(verdict);
}

void ScanMark::layoutText()
{
    const int x = kMarkSize + kGap;
    m_label->setGeometry(x, 0, std::max(width() - x, 0), height());
    // Long data would run under the link text; the tooltip keeps it whole.
    // Data of several lines (a 2D symbol's) stays on the mark's one line.
    QString line = text();
    line.replace(u'\n', QStringLiteral(" \u21b5 "));
    m_label->setText(m_label->fontMetrics().elidedText(line, Qt::ElideRight, m_label->width()));
}

void ScanMark::resizeEvent(QResizeEvent*)
{
    layoutText();
}

void ScanMark::paintEvent(QPaintEvent*)
{
    if (!m_verdict)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(0.5, (height() - kMarkSize) / 2.0 + 0.5, kMarkSize - 1, kMarkSize - 1);
    QPen pen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (m_verdict->reads()) {
        // A tick in a green disc.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2e, 0x7d, 0x32));
        p.drawEllipse(box);
        QPainterPath tick;
        tick.moveTo(box.left() + 3.5, box.center().y());
        tick.lineTo(box.left() + 6, box.bottom() - 3.5);
        tick.lineTo(box.right() - 3, box.top() + 3.5);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    } else if (!m_verdict->checked()) {
        // A grey disc with a dash: no verdict either way, so neither colour.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x75, 0x75, 0x75));
        p.drawEllipse(box);
        p.setPen(pen);
        p.drawLine(QPointF(box.left() + 4, box.center().y()), QPointF(box.right() - 4, box.center().y()));
    } else {
        // An exclamation mark in an amber triangle: a warning, not an error.
        QPainterPath triangle;
        triangle.moveTo(box.center().x(), box.top());
        triangle.lineTo(box.right(), box.bottom());
        triangle.lineTo(box.left(), box.bottom());
        triangle.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe6, 0x9a, 0x00));
        p.drawPath(triangle);
        pen.setColor(Qt::black);
        pen.setWidthF(1.6);
        p.setPen(pen);
        const double cx = box.center().x();
        p.drawLine(QPointF(cx, box.top() + 4.5), QPointF(cx, box.bottom() - 4.5));
        p.drawPoint(QPointF(cx, box.bottom() - 2));
    }
}
