#pragma once

#include <QWidget>

namespace draw {

class Surface;

// Shows a Surface at its place on the window, inside a sunken frame. The image is
// drawn pixel for pixel, never smoothed, so bars stay crisp at any scale.
class PictureBox : public QWidget {
    Q_OBJECT
  public:
    PictureBox(Surface& surface, QWidget* parent);
    Surface& surface() const { return m_surface; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void syncGeometry();
    Surface& m_surface;
};

} // namespace draw
