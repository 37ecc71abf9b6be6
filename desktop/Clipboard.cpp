#include "desktop/Clipboard.h"

#include "draw/Surface.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <functional>
#include <optional>

namespace output {

namespace {

const QString kSvg = QStringLiteral("image/svg+xml");

// Offers SVG beside the bitmap but writes it only when a program asks for it:
// the SVG of a long symbol is tens of megabytes, and building it at once froze
// the window on every copy.
class LazySvgMimeData : public QMimeData {
  public:
    explicit LazySvgMimeData(std::function<QByteArray()> writeSvg) : m_writeSvg(std::move(writeSvg)) {}

    bool hasFormat(const QString& mimeType) const override
    {
        return mimeType == kSvg || QMimeData::hasFormat(mimeType);
    }
    QStringList formats() const override { return QMimeData::formats() << kSvg; }

  protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType != kSvg)
            return QMimeData::retrieveData(mimeType, type);
        if (!m_svg)
            m_svg = m_writeSvg();
        return *m_svg;
    }

  private:
    std::function<QByteArray()> m_writeSvg;
    mutable std::optional<QByteArray> m_svg;
};

} // namespace

void copySurface(const draw::Surface& surface)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    auto* data = new LazySvgMimeData(surface.svgWriter());
    data->setImageData(surface.Image());
    clipboard->setMimeData(data);
}

} // namespace output
