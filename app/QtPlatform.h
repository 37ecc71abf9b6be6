#pragma once

#include "app/Platform.h"

class QWidget;

// The real platform: modal message boxes over the window, the process's
// current directory, the program's folder and the system printer.
class QtPlatform : public Platform {
  public:
    explicit QtPlatform(QWidget* parent) : m_parent(parent) {}
    QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
    QString currentDirectory() override;
    QString programFolder() override;
    std::unique_ptr<QPrinter> printer() override;
    QString openFileName(const QString& title, const QString& folder, const QString& filter) override;
    QString existingFolder(const QString& title, const QString& folder) override;

  private:
    QWidget* m_parent;
};
