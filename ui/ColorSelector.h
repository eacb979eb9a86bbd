#pragma once
// A 15 x 15 colour swatch; a click lets the operator pick another colour.
#include <QColor>
#include <QWidget>
#include <functional>

class TColorSelector : public QWidget
{
    Q_OBJECT

  public:
    explicit TColorSelector(QWidget *parent = nullptr);

    const QColor &Color() const { return FColor; }
    void SetColor(const QColor &value);

    // Raised after the operator confirmed a colour in the dialog.
    std::function<void()> OnSelectColor;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    void Click();
    QColor FColor = QColor(0, 0, 255);
    bool FPressed = false;
};
