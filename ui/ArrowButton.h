#pragma once
// The back and next arrows of the pages, 40 x 30, drawn over the parent's
// background in a normal, pressed or greyed form.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>

enum TArrowType : uint8_t
{
    atLeft = 0,
    atRight = 1
};

class TArrowButton : public QWidget
{
    Q_OBJECT

  public:
    explicit TArrowButton(QWidget *parent = nullptr);

    TArrowType ArrowType() const { return FArrowType; }
    void SetArrowType(TArrowType value);
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value);
    bool Visible() const { return isVisible(); }
    void SetVisible(bool value);
    bool Down() const { return FDown; }

    // A press and release inside the button while it is enabled.
    std::function<void()> OnClick;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void LoadImages();
    TArrowType FArrowType = atLeft;
    bool FDown = false;
    QImage FPressed;
    QImage FNormal;
    QImage FDisabled;
};
