#include "output/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace output {

void copyImage(const QImage& image)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    auto* data = new QMimeData;
    data->setImageData(image);
    clipboard->setMimeData(data);
}

} // namespace output
