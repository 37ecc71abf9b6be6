#include "app/FontList.h"

#include <QKeyEvent>

FontList::FontList(QWidget* parent) : QListWidget(parent) {}

void FontList::keyPressEvent(QKeyEvent* event)
{
    const int before = currentRow();
    const bool confirm =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    QListWidget::keyPressEvent(event);
    if (confirm || currentRow() != before) {
        // The view lets Return travel on to the window; it is used up here.
        event->accept();
        emit chosenByKeyboard();
    }
}
