#include "ui/GraphSeriesFrame.h"

#include "ui/MarkerSelector.h"
#include "ui/SeriesOptionForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QStackedWidget>

namespace {
void SetBold(QLabel *label, bool bold)
{
    // Only the weight is set, so the label keeps following its parent's font.
    QFont font;
    font.setBold(bold);
    label->setFont(font);
}
} // namespace

TfraGraphSeries::TfraGraphSeries(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(RowHeight);

    lblChannel = new QLabel(QString::number(FChannelNumber), this);
    lblChannel->setObjectName(QStringLiteral("lblChannel"));
    lblChannel->setFixedWidth(ChannelColumnWidth);
    lblChannel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    lblFunction = new QLabel(QStringLiteral("Type"), this);
    lblFunction->setObjectName(QStringLiteral("lblFunction"));

    pctlSeriesOptions = new QStackedWidget(this);
    pctlSeriesOptions->setObjectName(QStringLiteral("pctlSeriesOptions"));
    pctlSeriesOptions->setFixedWidth(OptionsColumnWidth);
    // A hidden options column keeps its place, so the rows stay aligned.
    QSizePolicy policy = pctlSeriesOptions->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    pctlSeriesOptions->setSizePolicy(policy);

    tsOptions = new QWidget(pctlSeriesOptions);
    tsOptions->setObjectName(QStringLiteral("tsOptions"));
    tsOptions->setCursor(Qt::PointingHandCursor);
    lblAxis = new QLabel(tsOptions);
    lblAxis->setObjectName(QStringLiteral("lblAxis"));
    lblAxis->setFixedWidth(AxisLabelWidth);
    lblAxis->setAlignment(Qt::AlignCenter);
    mselMarker = new TMarkerSelector(tsOptions);
    mselMarker->setObjectName(QStringLiteral("mselMarker"));
    auto *options = new QHBoxLayout(tsOptions);
    options->setContentsMargins(0, 0, 0, 0);
    options->setSpacing(2);
    options->addWidget(lblAxis);
    options->addWidget(mselMarker);
    options->addStretch(1);

    tsVerticalAxisLabel = new QWidget(pctlSeriesOptions);
    tsVerticalAxisLabel->setObjectName(QStringLiteral("tsVerticalAxisLabel"));
    lblVerticalAxis = new QLabel(QStringLiteral("Vertical Axis"), tsVerticalAxisLabel);
    lblVerticalAxis->setObjectName(QStringLiteral("lblVerticalAxis"));
    auto *vertical = new QHBoxLayout(tsVerticalAxisLabel);
    vertical->setContentsMargins(0, 0, 0, 0);
    vertical->addWidget(lblVerticalAxis);

    pctlSeriesOptions->addWidget(tsOptions);
    pctlSeriesOptions->addWidget(tsVerticalAxisLabel);
    pctlSeriesOptions->setCurrentWidget(tsOptions);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(RowMargin, 0, RowMargin, 0);
    layout->setSpacing(ColumnSpacing);
    layout->addWidget(lblChannel);
    layout->addWidget(lblFunction, 1);
    layout->addWidget(pctlSeriesOptions);

    FSeriesOptions = std::make_unique<TfrmSeriesOptions>(this);

    tsOptions->installEventFilter(this);
    lblAxis->installEventFilter(this);
    mselMarker->OnMouseDown = [this](Qt::MouseButton, QPoint position) {
        OpenSeriesOptions(mselMarker->mapToGlobal(position));
    };

    SetAxis(FAxisNumber);
}

TfraGraphSeries::~TfraGraphSeries() = default;

void TfraGraphSeries::SetChannelNumber(int32_t channel)
{
    FChannelNumber = channel;
    lblChannel->setText(QString::number(channel));
}

void TfraGraphSeries::SetChannelType(TChannelType type)
{
    FChannelType = type;
    lblFunction->setText(ChannelTypeToName(type));
    ShowOptionsPage();
}

void TfraGraphSeries::SetPrimary(bool primary)
{
    FPrimary = primary;
    SetBold(lblChannel, primary);
    SetBold(lblFunction, primary);
    ShowOptionsPage();
}

void TfraGraphSeries::ShowOptionsPage()
{
    // The primary pressure channel is the Standard graph's vertical axis and
    // has no series of its own to edit.
    const bool verticalAxis = FPrimary && FChannelType == ctPressure;
    pctlSeriesOptions->setCurrentWidget(verticalAxis ? tsVerticalAxisLabel : tsOptions);
}

void TfraGraphSeries::SetAxis(int32_t axis)
{
    FAxisNumber = axis;
    lblAxis->setText(QString(QChar(char16_t(64 + axis))));
}

const TMarkerDefinition &TfraGraphSeries::MarkerDefinition() const
{
    return mselMarker->MarkerDefinition();
}

void TfraGraphSeries::SetMarkerDefinition(const TMarkerDefinition &marker)
{
    mselMarker->SetMarkerDefinition(marker);
}

void TfraGraphSeries::Enable()
{
    setEnabled(true);
    lblChannel->setEnabled(true);
    lblFunction->setEnabled(true);
    lblAxis->setEnabled(true);
    lblVerticalAxis->setEnabled(true);
    pctlSeriesOptions->setVisible(true);
}

void TfraGraphSeries::Disable()
{
    setEnabled(false);
    lblChannel->setEnabled(false);
    lblFunction->setEnabled(false);
    pctlSeriesOptions->setVisible(false);
}

bool TfraGraphSeries::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == tsOptions || watched == lblAxis)) {
        const auto *press = static_cast<QMouseEvent *>(event);
        const QWidget *widget = static_cast<QWidget *>(watched);
        OpenSeriesOptions(widget->mapToGlobal(press->position().toPoint()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TfraGraphSeries::OpenSeriesOptions(QPoint screenPosition)
{
    TfrmSeriesOptions &dialog = *FSeriesOptions;
    dialog.MarkerDefinition().Assign(MarkerDefinition());
    dialog.SetAxisNumber(FAxisNumber);
    if (dialog.ExecuteAt(screenPosition) != QDialog::Accepted)
        return;
    // Read before anything changes, so that a failure leaves the row whole.
    const int32_t axis = dialog.GetAxisNumber();
    mselMarker->SetMarkerDefinition(dialog.MarkerDefinition());
    SetAxis(axis);
    if (OnChange)
        OnChange(*this);
}
