#include "verify/ExportCheck.h"

#include <QPainter>

namespace verify {

Verdict checkExport(const draw::Surface& surface, const output::ExportSettings& settings, Symbology symbology,
                    const Context& context)
{
    const output::Rendered picture = output::render(surface, settings);
    if (!picture.ok()) {
        Verdict verdict;
        verdict.reason = picture.error;
        return verdict;
    }
    QImage image = picture.image;
    // Read as grey, a transparent pixel keeps the bars' colour: every pixel
    // would look alike. On paper the background is what shows through.
    if (image.hasAlphaChannel()) {
        QImage paper(image.size(), QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter painter(&paper);
        painter.drawImage(0, 0, image);
        painter.end();
        image = paper;
    }
    return check(symbology, image, context);
}

} // namespace verify
