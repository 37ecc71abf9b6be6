#include "app/BarcodeGenerator.h"
#include "cli/CommandLine.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    // Arguments of its own mean a command: no window, and no display needed.
    if (cli::wantsCommandLine(argc, argv))
        return cli::run(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("barcode-generator"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.barcodes.BarcodeGenerator"));
    BarcodeGenerator window;
    window.show();
    return QApplication::exec();
}
