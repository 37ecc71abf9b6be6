#include "desktop/DragData.h"

#include <QMimeData>
#include <QUrl>

namespace output {

DragData dragData(const draw::Surface& surface, const ExportSettings& settings, const QString& pngPath)
{
    ExportSettings png = settings;
    png.format = Format::Png;
    ExportSettings svg = settings;
    svg.format = Format::Svg;
    const Encoded pixels = encode(surface, png);
    if (!pixels.ok())
        return {nullptr, pixels.error};
    const Encoded vector = encode(surface, svg);
    if (!vector.ok())
        return {nullptr, vector.error};
    const SaveResult file = saveBytes(pixels.bytes, pngPath);
    if (!file.saved)
        return {nullptr, file.error};
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QStringLiteral("image/png"), pixels.bytes);
    mime->setData(QStringLiteral("image/svg+xml"), vector.bytes);
    mime->setUrls({QUrl::fromLocalFile(pngPath)});
    return {std::move(mime), {}};
}

} // namespace output
