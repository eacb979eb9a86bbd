#pragma once
// The back and next arrows at the foot of every left-pane page.
#include "ui/ArrowButton.h"

#include <QWidget>

class TfraArrows : public QWidget
{
    Q_OBJECT

  public:
    explicit TfraArrows(QWidget *parent = nullptr);

    TArrowButton &arbLeft() { return *FLeft; }
    TArrowButton &arbRight() { return *FRight; }

  private:
    // Controls are children of the frame and go with it.
    TArrowButton *FLeft = nullptr;
    TArrowButton *FRight = nullptr;
};
