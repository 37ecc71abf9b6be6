#pragma once

#include <QMessageBox>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPrinter;

// The few calls that would need a person or a device. The window receives one;
// tests answer message boxes, print to PDF and save into a temporary directory.
// It belongs to the front ends: nothing below them asks the user anything.
class Platform {
  public:
    virtual ~Platform() = default;
    virtual QMessageBox::StandardButton message(QMessageBox::Icon icon, const QString& title,
                                                const QString& text,
                                                QMessageBox::StandardButtons buttons) = 0;
    virtual QString currentDirectory() = 0;
    virtual QString programFolder() = 0;
    virtual std::unique_ptr<QPrinter> printer() = 0;
    // A file to read, or an empty string when the user cancels.
    virtual QString openFileName(const QString& title, const QString& folder, const QString& filter) = 0;
    // A folder to write into, or an empty string when the user cancels.
    virtual QString existingFolder(const QString& title, const QString& folder) = 0;
};
