#pragma once

#include "app/Platform.h"

class QWidget;

// The real platform: modal message boxes over the window, the process's
// current directory, the program's folder, the system printer and its dialogs,
// and the file chooser.
class QtPlatform : public Platform {
  public:
    explicit QtPlatform(QWidget* parent) : m_parent(parent) {}
    QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons buttons) override;
    QString currentDirectory() override;
    QString programFolder() override;
    std::unique_ptr<QPrinter> printer() override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filter) override;
    bool setUpPrinter(QPrinter& printer, QWidget* parent) override;
    void previewPrint(QPrinter& printer, QWidget* parent,
                      const std::function<void(QPrinter&)>& paint) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;
    QString existingFolder(QWidget* parent, const QString& title, const QString& folder) override;

    // The box message() shows, not yet shown.
    std::unique_ptr<QMessageBox> messageBox(QMessageBox::Icon icon, const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons);

  private:
    QWidget* m_parent;
};
