#include "draw/PictureBox.h"

#include "draw/Geometry.h"
#include "draw/Surface.h"

#include <QPainter>
#include <QtWidgets/qdrawutil.h>

#include <algorithm>

namespace draw {

namespace {
// Beyond this a widget cannot be a window on X11; the image still holds the rest.
constexpr int kMaxWidgetWidth = 32767;
} // namespace

PictureBox::PictureBox(Surface& surface, QWidget* parent) : QWidget(parent), m_surface(surface)
{
    setObjectName(surface.objectName());
    setAttribute(Qt::WA_OpaquePaintEvent);
    syncGeometry();
    QWidget::setVisible(surface.Visible());
    connect(&surface, &Surface::changed, this, qOverload<>(&QWidget::update));
    connect(&surface, &Surface::refreshRequested, this, qOverload<>(&QWidget::repaint));
    connect(&surface, &Surface::geometryChanged, this, &PictureBox::syncGeometry);
    connect(&surface, &Surface::visibilityChanged, this, &QWidget::setVisible);
    connect(&surface, &Surface::descriptionChanged, this, &QWidget::setAccessibleDescription);
    setAccessibleName(QStringLiteral("Barcode picture"));
}

void PictureBox::syncGeometry()
{
    const QRect r = twipsRect(m_surface.Left(), m_surface.Top(), m_surface.Width(), m_surface.Height());
    setGeometry(r.x(), r.y(), std::min(r.width(), kMaxWidgetWidth), r.height());
}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const int b = Surface::kBorder;
    const QImage& image = m_surface.pixels();
    const QRect inner = rect().adjusted(b, b, -b, -b);
    const int shown = std::min(inner.width(), m_surface.imageWidth());
    if (devicePixelRatioF() == 1.0) {
        p.drawImage(QPoint(b, b), image, QRect(0, 0, shown, std::min(inner.height(), image.height())));
    } else {
        // Scaled screens get the drawing again at their resolution: modules stay
        // whole device pixels and text is set at full sharpness.
        p.save();
        p.setClipRect(inner);
        p.translate(b, b);
        m_surface.replay(p, QRect(0, 0, shown, inner.height()));
        p.restore();
    }
    if (shown < inner.width())
        p.fillRect(QRect(b + shown, b, inner.width() - shown, inner.height()),
                   toQColor(m_surface.BackColor()));
    qDrawShadePanel(&p, rect(), palette(), true, b);
    m_surface.markPainted();
}

} // namespace draw
