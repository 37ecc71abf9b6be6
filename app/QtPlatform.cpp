#include "app/QtPlatform.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
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

QString QtPlatform::openFileName(const QString& title, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(m_parent, title, folder, filter);
}

QString QtPlatform::existingFolder(const QString& title, const QString& folder)
{
    return QFileDialog::getExistingDirectory(m_parent, title, folder);
}
