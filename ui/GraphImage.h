#pragma once
// TGraphImage: the image control that shows one graph. It owns the picture
// the graph thread copies each finished bitmap into, and paints it at its
// top-left corner on white. A press reports the button and the position.
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>

class TGraphImage : public QWidget
{
    Q_OBJECT

  public:
    explicit TGraphImage(QWidget *parent = nullptr);

    // The graph thread's target; written only on this control's thread.
    QImage &Picture() { return FPicture; }
    const QImage &Picture() const { return FPicture; }
    // The picture changed: show it.
    void PictureChanged() { update(); }

    std::function<void(Qt::MouseButton button, QPoint position)> OnMouseDown;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    QImage FPicture;
};
