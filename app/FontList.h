#pragma once

#include <QListWidget>

// The label-font list. The mouse chooses with a click; this reports a choice
// made from the keyboard too: a move of the current item (arrows, Home, End,
// Page keys, typing a name) or Return or Space on it.
class FontList : public QListWidget {
    Q_OBJECT
  public:
    explicit FontList(QWidget* parent);

  signals:
    void chosenByKeyboard();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};
