#include "graphs/GraphContext.h"

#include "foundation/CustomUtilities.h"

TGraphContext::TGraphContext() : FTransformer(std::make_unique<TTransformer2D>()) {}

void TGraphContext::SetTransformer(std::unique_ptr<TTransformer2D> transformer)
{
    if (transformer)
        FTransformer = std::move(transformer);
}

void TGraphContext::SizeDataGraph(const TGraphDefinition &definition)
{
    const int32_t width = definition.LegendVisible()
                              ? CheckedSubtract(definition.Width(), definition.Legend().Width())
                              : definition.Width();
    FDataGraph.SetWidth(width);
    FDataGraph.SetHeight(definition.Height());
    for (TGraphSide side : {gsLeft, gsRight, gsTop, gsBottom})
        FDataGraph.SetLabelDimension(side, definition.GetLabelDimension(side));
    for (TGraphSide side : {gsLeft, gsRight, gsTop, gsBottom})
        FDataGraph.SetTitleDimension(side, definition.GetTitleDimension(side));
    FDeviceRect = FDataGraph.PlotRect(definition.ScaleFactor());
}

void TGraphContext::Draw(TCanvas &canvas, const TGraphDefinition &definition,
                         const TDataPointLists &pointLists)
{
    if (pointLists.size() < size_t(definition.SeriesCount()))
        throw EListIndexError(
            QStringLiteral("List index out of bounds (%1)").arg(pointLists.size()));
    SizeDataGraph(definition);
    FDataGraph.FillBackground(canvas, &definition.Brush());
    for (int32_t i = 1; i <= definition.AxisCount(); ++i)
        DrawGridlines(canvas, definition.GetAnyAxis(i));
    for (int32_t i = 1; i <= definition.SeriesCount(); ++i)
        DrawSeries(canvas, definition.GetSeries(i), pointLists[size_t(i - 1)]);
    FDataGraph.FillMargins(canvas, &definition.Brush());
    for (int32_t i = 1; i <= definition.AxisCount(); ++i)
        DrawLabels(canvas, definition.GetAnyAxis(i));
    DrawTitles(canvas, definition);
    if (definition.LegendVisible())
        DrawLegend(canvas, definition);
}

void TGraphContext::DrawTitles(TCanvas &canvas, const TGraphDefinition &definition)
{
    for (int32_t i = 1; i <= definition.TitleCount(); ++i) {
        const TTitleDefinition &title = definition.GetTitle(i);
        FDataGraph.DrawTitle(canvas, title.Text(), &title.Font(), title.X(), title.Y(),
                             title.Side());
    }
}

void TGraphContext::DrawGridlines(TCanvas &canvas, const TAxisDefinition &axis)
{
    if (!axis.Visible())
        return;
    FTransformer->SetMapping(axis.Range(), FDeviceRect);
    const TGridDirection direction =
        axis.Side() == gsLeft || axis.Side() == gsRight ? gdHorizontal : gdVertical;
    for (double value : axis.Gridlines())
        FDataGraph.DrawGridline(canvas, direction, *FTransformer, &axis.Pen(), value);
}

void TGraphContext::DrawLabels(TCanvas &canvas, const TAxisDefinition &axis)
{
    if (!axis.Visible())
        return;
    FTransformer->SetMapping(axis.Range(), FDeviceRect);
    for (int32_t i = 1; i <= axis.LabelCount(); ++i) {
        const TGraphLabelDefinition &label = axis.GetLabel(i);
        FDataGraph.DrawAxisLabel(canvas, label.Text(), &axis.LabelFont(), *FTransformer,
                                 axis.LabelOffset(), axis.Side(), label.Value());
    }
    if (!axis.Caption().isEmpty())
        FDataGraph.DrawAxisCaption(canvas, axis.Caption(), &axis.CaptionFont(), axis.Side(),
                                   axis.LabelOffset(), axis.CaptionPosition());
}

void TGraphContext::DrawSeries(TCanvas &canvas, const TSeriesDefinition &series,
                               const TDataPointList &points)
{
    if (!series.Visible())
        return;
    FTransformer->SetMapping(series.Range(), FDeviceRect);
    FDataGraph.DrawSeries(canvas, points, series.Marker(), *FTransformer);
}

void TGraphContext::DrawLegend(TCanvas &canvas, const TGraphDefinition &definition)
{
    const TLegendDefinition &legend = definition.Legend();
    const int32_t left = CheckedSubtract(definition.Width(), legend.Width());
    const QBrush savedBrush = canvas.Brush();
    canvas.SetBrush(definition.Brush());
    canvas.FillRect(left, 0, definition.Width(), definition.Height());
    canvas.SetBrush(savedBrush);

    const TFont savedFont = canvas.Font();
    canvas.SetFont(legend.Font());
    QPoint markerPoint(CheckedAdd(left, legend.MarkerX()),
                       CheckedAdd(legend.Top(), legend.MarkerY()));
    QPoint textPoint(CheckedAdd(left, legend.TextX()), CheckedAdd(legend.Top(), legend.TextY()));
    for (int32_t i = 1; i <= legend.CellCount(); ++i) {
        const TLegendCellDefinition &cell = legend.GetCell(i);
        if (!cell.Visible())
            continue; // hidden cells take no row
        cell.Marker().DrawLegendSample(canvas, markerPoint);
        canvas.TextOut(textPoint.x(), textPoint.y(), cell.Text());
        markerPoint.setY(CheckedAdd(markerPoint.y(), legend.RowHeight()));
        textPoint.setY(CheckedAdd(textPoint.y(), legend.RowHeight()));
    }
    canvas.SetFont(savedFont);
}
