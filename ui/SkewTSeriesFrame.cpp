#include "ui/SkewTSeriesFrame.h"

#include "ui/GraphSeriesFrame.h"
#include "ui/MarkerSelector.h"
#include "ui/SkewTSeriesOptionForm.h"

#include <QHBoxLayout>
#include <QLabel>

TfraSkewTSeries::TfraSkewTSeries(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(TfraGraphSeries::RowHeight);
    lblFunction = new QLabel(this);
    lblFunction->setObjectName(QStringLiteral("lblFunction"));
    mselMarker = new TMarkerSelector(this);
    mselMarker->setObjectName(QStringLiteral("mselMarker"));
    mselMarker->setCursor(Qt::PointingHandCursor);

    // The preview sits where the channel pages have theirs.
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(TfraGraphSeries::RowMargin, 0, TfraGraphSeries::RowMargin, 0);
    layout->setSpacing(TfraGraphSeries::ColumnSpacing);
    layout->addWidget(lblFunction, 1);
    layout->addSpacing(TfraGraphSeries::AxisLabelWidth + 2 - TfraGraphSeries::ColumnSpacing);
    layout->addWidget(mselMarker);
    layout->addSpacing(TfraGraphSeries::OptionsColumnWidth - TfraGraphSeries::AxisLabelWidth - 2 -
                       mselMarker->width());

    FSeriesOptions = std::make_unique<TfrmSkewTSeriesOptions>(this);
    mselMarker->OnMouseDown = [this](Qt::MouseButton, QPoint position) {
        OpenSeriesOptions(mselMarker->mapToGlobal(position));
    };
}

TfraSkewTSeries::~TfraSkewTSeries() = default;

const TMarkerDefinition &TfraSkewTSeries::MarkerDefinition() const
{
    return mselMarker->MarkerDefinition();
}

void TfraSkewTSeries::SetMarkerDefinition(const TMarkerDefinition &marker)
{
    mselMarker->SetMarkerDefinition(marker);
}

void TfraSkewTSeries::OpenSeriesOptions(QPoint screenPosition)
{
    TfrmSkewTSeriesOptions &dialog = *FSeriesOptions;
    dialog.MarkerDefinition().Assign(MarkerDefinition());
    if (dialog.ExecuteAt(screenPosition) != QDialog::Accepted)
        return;
    mselMarker->SetMarkerDefinition(dialog.MarkerDefinition());
    if (OnChange)
        OnChange(*this);
}
