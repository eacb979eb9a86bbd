#include "pipeline/Graph.h"

#include "foundation/CustomUtilities.h"
#include "graphs/Canvas.h"

#include <QPainter>

TGraph::TGraph()
    : FScreenDefinition(std::make_unique<TGraphDefinition>()),
      FPrintDefinition(std::make_unique<TGraphDefinition>())
{
}

void TGraph::SetDefinitions(std::unique_ptr<TGraphDefinition> screen,
                            std::unique_ptr<TGraphDefinition> print)
{
    FScreenDefinition = std::move(screen);
    FPrintDefinition = std::move(print);
}

void TGraph::DrawScreenImage(TGraphContext &context, const TDataPointLists &pointLists)
{
    DrawScreenImage([&](TCanvas &canvas, const TGraphDefinition &definition) {
        context.Draw(canvas, definition, pointLists);
    });
}

std::unique_ptr<QImage> TGraph::DrawPrintImage(TGraphContext &context,
                                               const TDataPointLists &pointLists)
{
    return DrawPrintImage([&](TCanvas &canvas, const TGraphDefinition &definition) {
        context.Draw(canvas, definition, pointLists);
    });
}

void TGraph::DrawScreenImage(const TDrawPass &pass)
{
    const TGraphDefinition &definition = *FScreenDefinition;
    FBitmap = NewGraphImage(definition.Width(), definition.Height());
    TCanvas canvas(FBitmap);
    pass(canvas, definition);
}

std::unique_ptr<QImage> TGraph::DrawPrintImage(const TDrawPass &pass)
{
    TGraphDefinition &print = *FPrintDefinition;
    print.Assign(*FScreenDefinition);
    // The legend strip is added to the right of the screen layout.
    print.SetWidth(CheckedAdd(print.Width(), print.Legend().Width()));
    print.Scale(PrintScale);
    print.SetLegendVisible(true);
    auto image = std::make_unique<QImage>(NewGraphImage(print.Width(), print.Height()));
    {
        TCanvas canvas(*image);
        pass(canvas, print);
    }
    FBitmap = QImage();
    return image;
}

void TGraph::PaintTarget()
{
    if (!FTarget)
        return;
    const QSize size(std::max(FScreenDefinition->Width(), 0),
                     std::max(FScreenDefinition->Height(), 0));
    if (FTarget->size() != size) {
        // Resizing keeps what the target showed where it still fits.
        QImage resized = NewGraphImage(size.width(), size.height());
        if (!FTarget->isNull() && !resized.isNull()) {
            QPainter painter(&resized);
            painter.drawImage(QPoint(0, 0), *FTarget);
        }
        *FTarget = resized;
    }
    if (FTarget->isNull() || FBitmap.isNull())
        return;
    QPainter painter(FTarget);
    painter.drawImage(QPoint(0, 0), FBitmap);
}
