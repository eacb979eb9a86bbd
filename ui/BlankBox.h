#pragma once
// A plain filled rectangle; the data list uses one to cover the corner where
// its frozen header and frozen time column meet.
#include <QColor>
#include <QWidget>

class TBlankBox : public QWidget
{
    Q_OBJECT

  public:
    explicit TBlankBox(QWidget *parent = nullptr);

    const QColor &Background() const { return FBackground; }
    // Repaints only when the colour changes.
    void SetBackground(const QColor &value);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QColor FBackground = Qt::white;
};
