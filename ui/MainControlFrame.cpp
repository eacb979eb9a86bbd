#include "ui/MainControlFrame.h"

#include "ui/FrameSupport.h"

#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
TGraphType ValidGraphType(TGraphType type)
{
    return type <= gtTime ? type : gtStandard;
}

void PutOnPage(QWidget &page, QWidget &frame)
{
    frame.setParent(&page);
    page.layout()->addWidget(&frame);
    frame.show();
}
} // namespace

TfraMainControl::TfraMainControl(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("fraMainControl"));

    FGraphPages = new QStackedWidget(this);
    FGraphPages->setObjectName(QStringLiteral("pctlGraph"));
    FSeriesPages[gtStandard] = NewPage(*FGraphPages, "tsStandardGraph");
    FSeriesPages[gtSkewT] = NewPage(*FGraphPages, "tsSkewTGraph");
    FSeriesPages[gtTime] = NewPage(*FGraphPages, "tsTimeGraph");

    FOperatingPages = new QStackedWidget(this);
    FOperatingPages->setObjectName(QStringLiteral("pctlOperatingControls"));
    FRunPage = NewPage(*FOperatingPages, "tsRun");
    FRun = new TfraRun(FRunPage);
    FRunPage->layout()->addWidget(FRun);
    FFilePage = NewPage(*FOperatingPages, "tsFile");
    FOperatingPages->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);

    FAboutButton = new TfraAboutButton(this);
    FAboutButton->setObjectName(QStringLiteral("fraAboutButton1"));
    FArrows = new TfraArrows(this);
    FArrows->arbLeft().OnClick = [this] { LeftArrowClick(); };
    FArrows->arbRight().OnClick = [this] { RightArrowClick(); };

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(8);
    layout->addWidget(FGraphPages, 1);
    layout->addWidget(FOperatingPages);
    layout->addWidget(FAboutButton);
    layout->addWidget(FArrows);

    ShowSeriesPage(gtStandard);
    FOperatingPages->setCurrentWidget(FRunPage);
}

TfraMainControl::~TfraMainControl() = default;

QWidget &TfraMainControl::SeriesPage(TGraphType type)
{
    return *FSeriesPages[ValidGraphType(type)];
}

void TfraMainControl::SetSeriesFrame(TGraphType type, std::unique_ptr<QWidget> frame)
{
    type = ValidGraphType(type);
    if (frame)
        PutOnPage(*FSeriesPages[type], *frame);
    FSeriesFrames[type] = std::move(frame);
}

QWidget *TfraMainControl::SeriesFrame(TGraphType type) const
{
    return FSeriesFrames[ValidGraphType(type)].get();
}

void TfraMainControl::ShowSeriesPage(TGraphType type)
{
    FGraphPages->setCurrentWidget(FSeriesPages[ValidGraphType(type)]);
}

void TfraMainControl::SetFileButtonsFrame(std::unique_ptr<QWidget> frame)
{
    if (frame)
        PutOnPage(*FFilePage, *frame);
    FFileButtons = std::move(frame);
}

void TfraMainControl::ShowRunControls()
{
    FArrows->arbRight().SetEnabled(true);
    FOperatingPages->setCurrentWidget(FRunPage);
}

void TfraMainControl::ShowFileControls()
{
    FArrows->arbRight().SetEnabled(false);
    FOperatingPages->setCurrentWidget(FFilePage);
}

void TfraMainControl::LockNavigation()
{
    FArrows->arbLeft().SetEnabled(false);
    FArrows->arbRight().SetEnabled(false);
}

void TfraMainControl::UnlockNavigation()
{
    FArrows->arbLeft().SetEnabled(true);
    FArrows->arbRight().SetEnabled(FOperatingPages->currentWidget() != FFilePage);
}

void TfraMainControl::LeftArrowClick()
{
    if (OnBack)
        OnBack();
}

void TfraMainControl::RightArrowClick()
{
    if (OnNext)
        OnNext();
}
