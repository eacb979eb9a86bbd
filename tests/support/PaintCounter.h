#pragma once
// Counts the paint events a widget receives, to tell a repaint from none.
#include <QEvent>
#include <QObject>
#include <QWidget>

class TPaintCounter : public QObject
{
  public:
    explicit TPaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int Count = 0;

  protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};
