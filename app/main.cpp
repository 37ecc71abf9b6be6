#include "app/BarcodeGenerator.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("barcode-generator"));
    BarcodeGenerator window;
    window.show();
    return QApplication::exec();
}
