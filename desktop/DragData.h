#pragma once

#include "formats/Export.h"

#include <QString>

#include <memory>

class QMimeData;

namespace draw {
class Surface;
}

namespace output {

struct DragData {
    std::unique_ptr<QMimeData> mime; // null when nothing could be made
    QString error;
};

// What dragging a picture out offers, from the export's settings: the PNG and
// the SVG themselves, for editors and chat windows, and the PNG written to
// `pngPath` as a file's address, for a file manager, which copies the file.
DragData dragData(const draw::Surface& surface, const ExportSettings& settings, const QString& pngPath);

} // namespace output
