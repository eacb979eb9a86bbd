#pragma once
// TGraph: what every graph kind (Standard, Skew-T, Time) holds and how the
// rest of the program drives it: an off-screen bitmap, the definition drawn on
// screen, a scratch definition for print images, and a target image owned
// elsewhere that the finished bitmap is copied into for display.
//
// All operations except PaintTarget run on the graph thread; PaintTarget runs
// on the user-interface thread while the graph thread waits for it, so the
// bitmap and the definitions are never touched by two threads at once.
#include "foundation/RootObject.h"
#include "graphs/GraphContext.h"
#include "graphs/GraphDefinition.h"
#include "pipeline/DataPacket.h"

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>

class TGraph : public TObject
{
  public:
    // The factor by which print images magnify the screen layout.
    static constexpr int32_t PrintScale = 5;

    TGraph(); // an empty bitmap and two plain definitions

    // Takes packets[first .. end) of the growing packet list into account.
    virtual void AddData(const TDataPacketList &packets, int32_t first) = 0;
    // Drops all points (and, with calculated altitudes, the altitude state).
    virtual void Clear() = 0;
    // Draws ScreenDefinition into a new Bitmap.
    virtual void Redraw() = 0;
    // A new image of the print layout: five times the screen size with the
    // legend strip added and shown. Bitmap is left empty until the next Redraw.
    virtual std::unique_ptr<QImage> CreatePrintImage() = 0;

    // Copies Bitmap into Target (when set), resizing Target to the screen size.
    void PaintTarget();

    QImage *Target() const { return FTarget; }
    void SetTarget(QImage *target) { FTarget = target; }
    const QImage &Bitmap() const { return FBitmap; }
    const TGraphDefinition &ScreenDefinition() const { return *FScreenDefinition; }
    TGraphDefinition &ScreenDefinition() { return *FScreenDefinition; }
    const TGraphDefinition &PrintDefinition() const { return *FPrintDefinition; }
    TGraphDefinition &PrintDefinition() { return *FPrintDefinition; }

  protected:
    // A kind's constructor installs two definitions of its own class.
    void SetDefinitions(std::unique_ptr<TGraphDefinition> screen,
                        std::unique_ptr<TGraphDefinition> print);
    // The Redraw contract: a new bitmap of the screen size, the context's pass
    // of ScreenDefinition with the kind's point lists.
    void DrawScreenImage(TGraphContext &context, const TDataPointLists &pointLists);
    // The CreatePrintImage contract. A failure (a size the dimension rule or
    // the overflow checks refuse, a transformer error) reaches the caller and
    // leaves Bitmap as it was.
    std::unique_ptr<QImage> DrawPrintImage(TGraphContext &context,
                                           const TDataPointLists &pointLists);
    // The same contracts for a kind whose pass takes more than one point list
    // per series: pass draws the definition it is given on the canvas.
    using TDrawPass = std::function<void(TCanvas &canvas, const TGraphDefinition &definition)>;
    void DrawScreenImage(const TDrawPass &pass);
    std::unique_ptr<QImage> DrawPrintImage(const TDrawPass &pass);

  private:
    QImage *FTarget = nullptr;
    QImage FBitmap;
    std::unique_ptr<TGraphDefinition> FScreenDefinition;
    std::unique_ptr<TGraphDefinition> FPrintDefinition;
};
