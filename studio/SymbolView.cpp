#include "studio/SymbolView.h"

#include "draw/Colour.h"
#include "draw/Surface.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace studio {

namespace {
// Room around the picture, so that a symbol's edge is never the window's.
constexpr int kMargin = 8;
} // namespace

SymbolView::SymbolView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("symbolView"));
    setAccessibleName(QStringLiteral("Barcode picture"));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setBackgroundRole(QPalette::Base);
}

void SymbolView::setSurface(const draw::Surface* surface)
{
    if (surface != m_surface) {
        disconnect(m_changed);
        m_surface = surface;
        // Only the view is painted again when the picture changes, not the window.
        if (surface)
            m_changed = connect(surface, &draw::Surface::changed, viewport(), qOverload<>(&QWidget::update));
    }
    updateScrollBars();
    viewport()->update();
}

QSize SymbolView::pictureSize() const
{
    if (!m_surface)
        return {};
    return {m_surface->imageWidth(), m_surface->pixels().height()};
}

int SymbolView::zoom() const
{
    if (!m_fit)
        return m_zoom;
    const QSize picture = pictureSize();
    if (picture.isEmpty())
        return kMinZoom;
    const QSize room = viewport()->size() - QSize(2 * kMargin, 2 * kMargin);
    const int fit = std::min(room.width() / picture.width(), room.height() / picture.height());
    return std::clamp(fit, kMinZoom, kMaxZoom);
}

void SymbolView::setZoom(int zoom)
{
    const int before = this->zoom();
    m_fit = zoom <= 0;
    if (!m_fit)
        m_zoom = std::clamp(zoom, kMinZoom, kMaxZoom);
    updateScrollBars();
    viewport()->update();
    if (this->zoom() != before)
        emit zoomChanged(this->zoom());
}

void SymbolView::zoomIn()
{
    setZoom(zoom() + 1);
}

void SymbolView::zoomOut()
{
    setZoom(std::max(zoom() - 1, kMinZoom));
}

void SymbolView::zoomToFit()
{
    setZoom(0);
}

void SymbolView::updateScrollBars()
{
    const QSize content = m_surface ? pictureSize() * zoom() + QSize(2 * kMargin, 2 * kMargin) : QSize();
    const QSize room = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(content.width() - room.width(), 0));
    verticalScrollBar()->setRange(0, std::max(content.height() - room.height(), 0));
    horizontalScrollBar()->setPageStep(room.width());
    verticalScrollBar()->setPageStep(room.height());
}

// Centred while it fits, scrolled where it does not.
QPoint SymbolView::origin() const
{
    const QSize scaled = pictureSize() * zoom();
    const QSize room = viewport()->size();
    const int x = scaled.width() + 2 * kMargin <= room.width() ? (room.width() - scaled.width()) / 2
                                                               : kMargin - horizontalScrollBar()->value();
    const int y = scaled.height() + 2 * kMargin <= room.height() ? (room.height() - scaled.height()) / 2
                                                                 : kMargin - verticalScrollBar()->value();
    return {x, y};
}

void SymbolView::paintEvent(QPaintEvent* event)
{
    QPainter p(viewport());
    p.fillRect(event->rect(), palette().color(QPalette::Base));
    if (!m_surface)
        return;
    const QSize picture = pictureSize();
    if (picture.isEmpty())
        return;
    const int z = zoom();
    const QPoint at = origin();
    // Only the modules under the exposed area are scaled: typing into a large
    // symbol costs what the screen shows, not what the symbol holds.
    const QRect target = event->rect().intersected(QRect(at, picture * z));
    if (target.isEmpty())
        return;
    const QRect source((target.left() - at.x()) / z, (target.top() - at.y()) / z,
                       (target.right() - at.x()) / z - (target.left() - at.x()) / z + 1,
                       (target.bottom() - at.y()) / z - (target.top() - at.y()) / z + 1);
    // The drawing again at the zoom, not its pixels enlarged: every module
    // whole screen pixels, and the text set at the size it is shown.
    p.setClipRect(target);
    p.translate(at);
    p.scale(z, z);
    m_surface->replay(p, source);
}

QImage SymbolView::shownImage() const
{
    return viewport()->grab().toImage();
}

void SymbolView::resizeEvent(QResizeEvent* event)
{
    const int before = zoom();
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    if (zoom() != before)
        emit zoomChanged(zoom());
}

void SymbolView::scrollContentsBy(int, int)
{
    viewport()->update();
}

bool SymbolView::viewportEvent(QEvent* event)
{
    // A new picture may have a new size: the scroll range follows before it is painted.
    if (event->type() == QEvent::Paint)
        updateScrollBars();
    return QAbstractScrollArea::viewportEvent(event);
}

void SymbolView::mousePressEvent(QMouseEvent* event)
{
    m_pressedAt =
        event->button() == Qt::LeftButton && m_surface ? event->position().toPoint() : QPoint(-1, -1);
    QAbstractScrollArea::mousePressEvent(event);
}

void SymbolView::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && m_pressedAt.x() >= 0 &&
        (event->position().toPoint() - m_pressedAt).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressedAt = QPoint(-1, -1);
        emit dragRequested();
        return;
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

} // namespace studio
