#pragma once
// A three-colour status lamp, 22 x 17, drawn over its parent's background.
#include <QImage>
#include <QWidget>
#include <cstdint>

enum TLedState : uint8_t
{
    lsRed = 0,
    lsGreen = 1,
    lsYellow = 2
};

class TLed : public QWidget
{
    Q_OBJECT

  public:
    explicit TLed(QWidget *parent = nullptr);

    TLedState State() const { return FState; }
    // Repaints only when the state changes.
    void SetState(TLedState value);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    TLedState FState = lsRed;
    QImage FImages[3];
};
