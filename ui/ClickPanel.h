#pragma once
// A plain panel that reports a click (press and release inside it). Labels
// placed on it pass their clicks on to it, so a caption made of several
// labels acts as one clickable area.
#include <QFrame>
#include <functional>

class TClickPanel : public QFrame
{
    Q_OBJECT

  public:
    explicit TClickPanel(QWidget *parent = nullptr);

    std::function<void()> OnClick;

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    bool FPressed = false;
};
