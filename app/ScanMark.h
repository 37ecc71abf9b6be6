#pragma once

#include "verify/AsyncChecker.h"

#include <QPointer>
#include <QWidget>

class QLabel;

namespace draw {
class PictureBox;
}

// A small mark and one line of text under the picture: what a standard decoder
// makes of the image that Copy and File Save hand out. The decode runs on a
// worker; the mark shows only the verdict of the latest image it was given.
class ScanMark : public QWidget {
    Q_OBJECT
  public:
    explicit ScanMark(QWidget* parent);

    // Returns at once; the checker fetches the request when it is ready for
    // it. The picture's accessible description gains the verdict when it arrives.
    void check(verify::AsyncChecker::Source source, draw::PictureBox* picture);
    // No symbol on view: the mark hides and any verdict still on its way is dropped.
    void clear();

    // The whole line, also where the label has to shorten it.
    QString text() const { return m_verdict ? m_verdict->headline() : QString(); }
    const std::optional<verify::Verdict>& verdict() const { return m_verdict; }
    verify::AsyncChecker& checker() { return *m_checker; }

  signals:
    // A verdict is on view (tests and screen readers follow it).
    void shown(const verify::Verdict& verdict);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void showVerdict(const verify::Verdict& verdict);
    void hideMark();
    void restoreDescription();
    void layoutText();

    verify::AsyncChecker* m_checker = nullptr;
    QLabel* m_label = nullptr;
    QPointer<draw::PictureBox> m_picture;
    std::optional<verify::Verdict> m_verdict;
};
