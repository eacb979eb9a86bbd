#include "ui/ChannelGraphFrame.h"

#include "foundation/CustomUtilities.h"
#include "graphs/SeriesDefaults.h"
#include "ui/GraphSeriesFrame.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TfraChannelGraph::TfraChannelGraph(QWidget *parent) : QWidget(parent)
{
    // Pixel-sized, so the page fits the left pane whatever the desktop font.
    setFont(DefaultFont());

    pnlTitle = new QWidget(this);
    pnlTitle->setObjectName(QStringLiteral("pnlTitle"));
    pnlTitle->setFixedHeight(TfraGraphSeries::RowHeight);
    lblChannelTitle = new QLabel(QStringLiteral("Ch"), pnlTitle);
    lblChannelTitle->setObjectName(QStringLiteral("lblChannelTitle"));
    lblChannelTitle->setFixedWidth(TfraGraphSeries::ChannelColumnWidth);
    lblChannelTitle->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblFunctionTitle = new QLabel(QStringLiteral("Function"), pnlTitle);
    lblFunctionTitle->setObjectName(QStringLiteral("lblFunctionTitle"));
    lblAxisTitle = new QLabel(QStringLiteral("Axis"), pnlTitle);
    lblAxisTitle->setObjectName(QStringLiteral("lblAxisTitle"));
    lblAxisTitle->setFixedWidth(TfraGraphSeries::OptionsColumnWidth);
    auto *title = new QHBoxLayout(pnlTitle);
    title->setContentsMargins(TfraGraphSeries::RowMargin, 0, TfraGraphSeries::RowMargin, 0);
    title->setSpacing(TfraGraphSeries::ColumnSpacing);
    title->addWidget(lblChannelTitle);
    title->addWidget(lblFunctionTitle, 1);
    title->addWidget(lblAxisTitle);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlTitle);
    for (int32_t i = 0; i < ChannelCount; ++i) {
        auto *row = new TfraGraphSeries(this);
        const int32_t channel = i + 1;
        row->setObjectName(QStringLiteral("fraGraphSeries%1").arg(channel));
        row->SetChannelNumber(channel);
        const TInitialSeries initial = InitialChannelSeries(channel);
        row->SetAxis(initial.Axis);
        row->SetMarkerDefinition(initial.Marker);
        row->OnChange = [this](TfraGraphSeries &sender) {
            if (OnSeriesChanged)
                OnSeriesChanged(sender.ChannelNumber(), sender.AxisNumber(),
                                sender.MarkerDefinition());
        };
        layout->addWidget(row);
        FRows[size_t(i)] = row;
    }
    layout->addStretch(1);
}

TfraGraphSeries &TfraChannelGraph::Series(int32_t channel)
{
    if (channel < 1 || channel > ChannelCount)
        RaiseInvalidSeriesFrame(channel);
    return *FRows[size_t(channel - 1)];
}
