// The window's entry, in a module of its own that the program loads only when
// it opens the window (see main.cpp).
#include "app/BarcodeGenerator.h"
#include "sheets/SheetWriter.h"

#include <QApplication>

extern "C" Q_DECL_EXPORT int barcodeGeneratorWindow(int& argc, char** argv)
{
    // Before any text is drawn: Print Labels reads its labels back at a
    // printer's resolution, where label text is larger than Qt caches by default.
    sheets::cacheLargeGlyphs();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("barcode-generator"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.barcodes.BarcodeGenerator"));
    BarcodeGenerator window;
    window.show();
    return QApplication::exec();
}
