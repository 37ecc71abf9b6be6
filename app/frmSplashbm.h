#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;

// The "About" picture window: shown beside the main window, gone at a key
// press or a click on its frame or picture.
class frmSplashbm : public QDialog {
    Q_OBJECT
  public:
    explicit frmSplashbm(QWidget* parent);

    QGroupBox* Frame1 = nullptr;
    QLabel* imgLogo = nullptr;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};
