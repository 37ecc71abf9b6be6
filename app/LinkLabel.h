#pragma once

#include <QLabel>

// A label that reports clicks and the mouse passing over it.
class LinkLabel : public QLabel {
    Q_OBJECT
  public:
    LinkLabel(const QString& text, QWidget* parent);

  signals:
    void clicked();
    void hovered();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};
