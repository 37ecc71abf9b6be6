#include "app/frmSplashbm.h"

#include "draw/Geometry.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>

frmSplashbm::frmSplashbm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmSplashbm"));
    setWindowTitle(QString());
    setModal(false);
    setFixedSize(draw::twipsRect(0, 0, 10305, 7020).size());
    setAttribute(Qt::WA_DeleteOnClose, false);

    Frame1 = new QGroupBox(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(draw::twipsRect(240, 120, 9825, 6675));
    imgLogo = new QLabel(Frame1);
    imgLogo->setObjectName(QStringLiteral("imgLogo"));
    const QPixmap logo(QStringLiteral(":/about.png"));
    imgLogo->setPixmap(logo);
    imgLogo->setGeometry((Frame1->width() - logo.width()) / 2, (Frame1->height() - logo.height()) / 2,
                         logo.width(), logo.height());
    Frame1->installEventFilter(this);
    imgLogo->installEventFilter(this);
}

void frmSplashbm::keyPressEvent(QKeyEvent* event)
{
    // Only a key that types something closes the window. A bare Alt, Ctrl,
    // Shift or Super is usually the start of a shortcut (Alt+F4 meant for this
    // window); closing on it would send the rest of the shortcut to the main
    // window.
    const bool typing = !event->text().isEmpty() && !event->text().front().isNull();
    const bool confirming =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape;
    if (typing || confirming) {
        close();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmSplashbm::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == Frame1 || watched == imgLogo) && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
