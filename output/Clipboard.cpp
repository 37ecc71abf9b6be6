#include "output/Clipboard.h"

#include "draw/Surface.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace output {

void copySurface(const draw::Surface& surface)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    auto* data = new QMimeData;
    data->setImageData(surface.Image());
    data->setData(QStringLiteral("image/svg+xml"), surface.toSvg());
    clipboard->setMimeData(data);
}

} // namespace output
