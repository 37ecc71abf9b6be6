#include "app/QtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

QMessageBox::StandardButton QtPlatform::message(QMessageBox::Icon icon, const QString& title,
                                                const QString& text, QMessageBox::StandardButtons buttons)
{
    QMessageBox box(icon, title, text, buttons, m_parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
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
