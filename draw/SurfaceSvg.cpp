// The SVG a recording makes through Qt's generator: apart from the rest of
// draw/, so that what only draws pixels and files does not load QtSvg.
#include "draw/Surface.h"

#include <QBuffer>
#include <QPainter>
#include <QSvgGenerator>

namespace draw {

QByteArray writeSvg(const Recording& recording, const QString& title)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QRect area(QPoint(0, 0), recording.size);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(area.size());
    generator.setViewBox(area);
    generator.setResolution(96);
    // The generator writes the title as it is given but escapes text.
    generator.setTitle(svgTitle(title));
    {
        QPainter painter(&generator);
        replayRecording(painter, recording, area, {});
    }
    return bytes;
}

QByteArray Surface::toSvg() const
{
    return writeSvg(*snapshot(), m_description);
}

std::function<QByteArray()> Surface::svgWriter() const
{
    return [recording = snapshot(), title = m_description] { return writeSvg(*recording, title); };
}

} // namespace draw
