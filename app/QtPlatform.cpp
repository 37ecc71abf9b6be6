#include "app/QtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>

QMessageBox::StandardButton QtPlatform::message(QMessageBox::Icon icon, const QString& title,
                                                const QString& text, QMessageBox::StandardButtons buttons)
{
    return static_cast<QMessageBox::StandardButton>(messageBox(icon, title, text, buttons)->exec());
}

std::unique_ptr<QMessageBox> QtPlatform::messageBox(QMessageBox::Icon icon, const QString& title,
                                                    const QString& text, QMessageBox::StandardButtons buttons)
{
    auto box = std::make_unique<QMessageBox>(icon, title, text, buttons, m_parent);
    // Lines, file names and paths are the user's text, never markup.
    box->setTextFormat(Qt::PlainText);
    // A message box grows with its text up to the screen's width and beyond its
    // height: a refused line of thousands of characters, or hundreds of lines,
    // would put the buttons out of reach. A line longer than a few rows is
    // shortened in the middle, the lines beyond half the screen's height are
    // left out, and then the whole text is under "Show Details".
    const QScreen* screen = m_parent ? m_parent->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return box;
    const QRect room = screen->availableGeometry();
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QLabel measure;
    measure.setFont(label ? label->font() : box->font());
    measure.setTextFormat(Qt::PlainText);
    measure.setWordWrap(true);
    const QFontMetrics metrics = measure.fontMetrics();
    // The box wraps its text at about half the screen's width (at most 500
    // pixels), less its icon and margins. A line of a few rows is a sentence
    // with a file name in it, and stays whole.
    const int wrapsAt = std::max(100, std::min(room.width() / 2, 500) - 100);
    const int widest = 3 * wrapsAt;
    const int tallest = room.height() / 2;
    const QString more = QStringLiteral("…");
    QStringList shown;
    bool shortened = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString fitted = metrics.elidedText(line, Qt::ElideMiddle, widest);
        shortened = shortened || fitted != line;
        // With room left for the mark that more follows.
        measure.setText((shown + QStringList{fitted, more}).join(QLatin1Char('\n')));
        if (!shown.isEmpty() && measure.heightForWidth(wrapsAt) > tallest) {
            shown << more;
            shortened = true;
            break;
        }
        shown << fitted;
    }
    if (shortened) {
        box->setText(shown.join(QLatin1Char('\n')));
        box->setDetailedText(text);
    }
    return box;
}

QString QtPlatform::currentDirectory()
{
    return QDir::currentPath();
}

QString QtPlatform::programFolder()
{
    return QCoreApplication::applicationDirPath();
}

std::unique_ptr<QPrinter> QtPlatform::printer()
{
    return std::make_unique<QPrinter>(QPrinter::HighResolution);
}

QString QtPlatform::saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                 const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, title, proposed, filter);
}

bool QtPlatform::setUpPrinter(QPrinter& printer, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void QtPlatform::previewPrint(QPrinter& printer, QWidget* parent, const std::function<void(QPrinter&)>& paint)
{
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* pages) { paint(*pages); });
    dialog.exec();
}

QString QtPlatform::openFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString QtPlatform::existingFolder(QWidget* parent, const QString& title, const QString& folder)
{
    return QFileDialog::getExistingDirectory(parent, title, folder);
}
