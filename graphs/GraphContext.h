#pragma once
// TGraphContext: runs the drawing pass of a TGraphDefinition on a canvas. It
// owns the TDataGraph that holds the pixel layout and the transformer that
// maps world ranges onto the plot area. The steps of the pass are virtual so
// that a graph kind can replace them or install another transformer.
#include "foundation/RootObject.h"
#include "graphs/DataGraph.h"
#include "graphs/GraphDefinition.h"
#include "graphs/Transformer2D.h"

#include <memory>

class TGraphContext : public TObject
{
  public:
    TGraphContext(); // a plain linear TTransformer2D

    TDataGraph &DataGraph() { return FDataGraph; }
    const TDataGraph &DataGraph() const { return FDataGraph; }
    // The plot rectangle of the current pass.
    const TRect &DeviceRect() const { return FDeviceRect; }
    TTransformer2D &Transformer() { return *FTransformer; }
    // Replaces the transformer (a log-pressure graph installs its own).
    void SetTransformer(std::unique_ptr<TTransformer2D> transformer);

    // The whole pass: background, gridlines, series, margins, labels, titles
    // and (when visible) legend. pointLists[i - 1] holds the points of series
    // i; fewer lists than series raise EListIndexError before anything is
    // drawn. Errors of the transformer end the pass where they occur.
    virtual void Draw(TCanvas &canvas, const TGraphDefinition &definition,
                      const TDataPointLists &pointLists);
    virtual void DrawGridlines(TCanvas &canvas, const TAxisDefinition &axis);
    virtual void DrawLabels(TCanvas &canvas, const TAxisDefinition &axis);
    virtual void DrawSeries(TCanvas &canvas, const TSeriesDefinition &series,
                            const TDataPointList &points);
    // Every title of the definition, in order.
    void DrawTitles(TCanvas &canvas, const TGraphDefinition &definition);
    void DrawLegend(TCanvas &canvas, const TGraphDefinition &definition);

  protected:
    // Steps 1 and 2 of every pass: the data graph takes the definition's size
    // (less the legend strip when it is shown) and bands, and DeviceRect
    // becomes the plot area inset by the scale factor.
    void SizeDataGraph(const TGraphDefinition &definition);

  private:
    TDataGraph FDataGraph;
    TRect FDeviceRect;
    std::unique_ptr<TTransformer2D> FTransformer;
};
