#include "app/LinkLabel.h"

#include <QMouseEvent>

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
}

void LinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}

void LinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    emit hovered();
    QLabel::mouseMoveEvent(event);
}
