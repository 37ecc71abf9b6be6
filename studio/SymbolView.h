#pragma once

#include <QAbstractScrollArea>
#include <QPoint>

namespace draw {
class Surface;
}

namespace studio {

// The surface's drawing replayed at a whole number of screen pixels per
// module: every module stays square and every bar keeps its width, and the
// text is set at the size it is shown. "Fit" picks the largest whole factor
// that shows it all.
class SymbolView : public QAbstractScrollArea {
    Q_OBJECT
  public:
    static constexpr int kMinZoom = 1;
    static constexpr int kMaxZoom = 32;

    explicit SymbolView(QWidget* parent = nullptr);

    // The surface that holds the symbol to show, or none: then the view is
    // blank, never an older picture.
    void setSurface(const draw::Surface* surface);
    const draw::Surface* surface() const { return m_surface; }

    // 0 means fit.
    void setZoom(int zoom);
    int zoomSetting() const { return m_fit ? 0 : m_zoom; }
    // The factor in use, fit resolved.
    int zoom() const;
    void zoomIn();
    void zoomOut();
    void zoomToFit();

    // The part of the surface's pixels that holds the picture.
    QSize pictureSize() const;
    // What the viewport shows of the picture, as a screen grab would see it.
    QImage shownImage() const;

  signals:
    void zoomChanged(int zoom);
    // Pressed on the picture and moved far enough to start a drag.
    void dragRequested();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;

  private:
    void updateScrollBars();
    QPoint origin() const;

    const draw::Surface* m_surface = nullptr;
    QMetaObject::Connection m_changed;
    bool m_fit = true;
    int m_zoom = 4;
    QPoint m_pressedAt{-1, -1};
};

} // namespace studio
