#include "app/BarcodeGenerator.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("barcode-generator"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.barcodes.BarcodeGenerator"));
    BarcodeGenerator window;
    window.show();
    return QApplication::exec();
}
