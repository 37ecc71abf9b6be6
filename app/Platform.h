#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>

class QPagedPaintDevice;
class QPrinter;
class QWidget;

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
    // The file chooser of Export: the path chosen, empty when cancelled.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                 const QString& filter) = 0;
    // The print dialog, which sets the printer up; false when cancelled.
    virtual bool setUpPrinter(QPrinter& printer, QWidget* parent) = 0;
    // The print preview: `paint` draws the pages, as often as the preview needs them.
    virtual void previewPrint(QPrinter& printer, QWidget* parent,
                              const std::function<void(QPrinter&)>& paint) = 0;
    // A file to read: the path chosen, empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    // A folder to write into: the path chosen, empty when cancelled.
    virtual QString existingFolder(QWidget* parent, const QString& title, const QString& folder) = 0;
};
