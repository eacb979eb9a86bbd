// Every page of the left pane fits its 190-pixel width with every caption
// fully readable, at the toolkit's default font and at the program's own.
#include "FrameHost.h"
#include "foundation/CustomUtilities.h"
#include "ui/AboutForm.h"
#include "ui/HardwareFrame.h"
#include "ui/MainControlFrame.h"
#include "ui/StartFrame.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
// Room a push button needs beside its caption to show it whole.
constexpr int ButtonPadding = 4;

void ExpectCaptionsReadable(QWidget &window)
{
    const QRect area = window.rect();
    int captions = 0;
    for (QWidget *w : window.findChildren<QWidget *>()) {
        if (!w->isVisibleTo(&window))
            continue;
        const QString name = w->objectName();
        const QRect placed(w->mapTo(&window, QPoint(0, 0)), w->size());
        QString caption;
        if (auto *label = qobject_cast<QLabel *>(w)) {
            caption = label->text();
            EXPECT_GE(w->width(), label->sizeHint().width()) << name.toStdString();
            EXPECT_GE(w->height(), label->sizeHint().height()) << name.toStdString();
        } else if (auto *button = qobject_cast<QPushButton *>(w)) {
            caption = button->text();
            EXPECT_GE(w->width(),
                      button->fontMetrics().horizontalAdvance(caption) + 2 * ButtonPadding)
                << name.toStdString();
            EXPECT_GE(w->height(), button->fontMetrics().height()) << name.toStdString();
        } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            caption = button->text();
            EXPECT_GE(w->width(), button->sizeHint().width()) << name.toStdString();
        } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
            caption = group->title();
            EXPECT_GE(w->width(), group->fontMetrics().horizontalAdvance(caption))
                << name.toStdString();
        } else {
            continue;
        }
        if (!caption.isEmpty())
            ++captions;
        EXPECT_TRUE(area.contains(placed)) << name.toStdString() << " lies partly outside";
    }
    EXPECT_GT(captions, 0);
}

template <class TFrame> void ExpectFrameFits(int height)
{
    TFrameHost<TFrame> host(height);
    SCOPED_TRACE(host->objectName().toStdString());
    EXPECT_LE(host->minimumSizeHint().width(), LeftPaneWidth);
    EXPECT_LE(host->minimumSizeHint().height(), height);
    ExpectCaptionsReadable(host.Window);
}

void ExpectAllFit()
{
    // The main-control page sits below the 94-pixel graph type panel.
    ExpectFrameFits<TfraStart>(648);
    ExpectFrameFits<TfraHardware>(648);
    ExpectFrameFits<TfraMainControl>(648 - 94);
    TfrmAbout about;
    about.show();
    ExpectCaptionsReadable(about);
}
} // namespace

TEST(FrameLayout, CaptionsReadableAtTheToolkitFont)
{
    ExpectAllFit();
}

TEST(FrameLayout, CaptionsReadableAtTheProgramFont)
{
    const QFont saved = QApplication::font();
    QApplication::setFont(DefaultFont());
    ExpectAllFit();
    QApplication::setFont(saved);
}
