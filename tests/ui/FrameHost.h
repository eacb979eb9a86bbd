#pragma once
// Shows a left-pane frame alone in a window the width of the pane.
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>
#include <gtest/gtest.h>

constexpr int LeftPaneWidth = 190;

template <class TFrame> class TFrameHost
{
  public:
    explicit TFrameHost(int height = 648)
    {
        Window.setFixedSize(LeftPaneWidth, height);
        auto *layout = new QVBoxLayout(&Window);
        layout->setContentsMargins(0, 0, 0, 0);
        Frame = new TFrame(&Window);
        layout->addWidget(Frame);
        Window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&Window));
    }
    TFrame &operator*() const { return *Frame; }
    TFrame *operator->() const { return Frame; }
    // The widget that has (or, once the window is active, will get) the focus.
    QWidget *Focused() const { return Window.focusWidget(); }

    QWidget Window;
    TFrame *Frame = nullptr;
};
