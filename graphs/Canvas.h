#pragma once
// TCanvas: the drawing surface of the graph engine, a thin layer over a
// QPainter on a QImage that keeps the pixel conventions the layout arithmetic
// was designed for.
//
// Pixel conventions (those of the Windows GDI that the layout arithmetic was
// designed for):
// - LineTo draws from the pen position up to, but not including, the end
//   point; the end point becomes the pen position. Pens of width 0 or 1 draw
//   one-pixel lines; wider pens have round ends and round joins.
// - Ellipse and Rectangle take a bounding box (x1, y1, x2, y2) and stay inside
//   it: with a one-pixel pen the outline covers columns x1 .. x2 - 1 and rows
//   y1 .. y2 - 1. Wider outlines are centred on that one-pixel outline. The
//   shape is outlined with the pen and filled with the brush.
// - Polygon outlines the closed polygon through its points (vertices
//   included) with the pen and fills it with the brush.
// - FillRect covers its left and top edges but not its right and bottom ones,
//   with the brush and no outline.
// - TextOut puts the text's top-left corner at the point, in the font's
//   colour, over a transparent background.
// - Lines step along their longer axis; the other coordinate is rounded
//   with halves moving towards the end point.
// Antialiasing is off for shapes: the layout is pixel arithmetic and must
// land on the pixels it computed. Text is antialiased, which reads better at
// the small sizes of labels and does not change text extents.
#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <QSize>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

// A font together with the colour its text is drawn in (QFont carries no
// colour). Sizes are in pixels, so scaling for print multiplies pixels.
class TFont
{
  public:
    TFont(); // DefaultFont(), black
    explicit TFont(const QFont &font, const QColor &color = Qt::black);

    const QFont &Font() const { return FFont; }
    QFont &Font() { return FFont; }
    const QColor &Color() const { return FColor; }
    void SetColor(const QColor &color) { FColor = color; }
    // The height of the font in pixels ("font height 20 pixels").
    int32_t PixelSize() const;
    void SetPixelSize(int32_t pixels);
    // Multiplies the size; EIntOverflow when the product does not fit.
    void Scale(int32_t factor);

    bool operator==(const TFont &other) const
    {
        return FFont == other.FFont && FColor == other.FColor;
    }

  private:
    QFont FFont;
    QColor FColor;
};

// The opaque pixels of a small image, ready to be copied onto a canvas at
// many places. Markers of a long series are drawn once into an image and
// stamped, which gives the same pixels as drawing each one in turn at a
// fraction of the cost.
class TCanvasStamp
{
  public:
    // image: 32-bit premultiplied ARGB; fully transparent pixels are skipped,
    // all others copied. hotSpot is the image pixel placed on each centre.
    TCanvasStamp(const QImage &image, QPoint hotSpot);
    bool IsEmpty() const { return FRuns.empty(); }

  private:
    friend class TCanvas;
    struct TRun
    {
        int32_t DX;      // first pixel relative to the centre
        int32_t DY;      // row relative to the centre
        int32_t Length;  // pixels in the run
        uint32_t Offset; // first pixel in FPixels
    };
    std::vector<TRun> FRuns;
    std::vector<uint32_t> FPixels;
    int32_t FMinDX = 0, FMaxDX = -1, FMinDY = 0, FMaxDY = -1; // bounding box
};

class TCanvas
{
  public:
    // Paints on the image for the canvas's lifetime. A null image gives a
    // canvas that keeps its state but draws nothing.
    explicit TCanvas(QImage &image);
    virtual ~TCanvas();
    TCanvas(const TCanvas &) = delete;
    TCanvas &operator=(const TCanvas &) = delete;

    QImage *Image() const { return FImage; }

    const QPen &Pen() const { return FPen; }
    void SetPen(const QPen &pen);
    const QBrush &Brush() const { return FBrush; }
    void SetBrush(const QBrush &brush);
    const TFont &Font() const { return FFont; }
    void SetFont(const TFont &font);
    QPoint PenPos() const { return FPenPos; }
    void SetPenPos(QPoint point) { FPenPos = point; }

    virtual void MoveTo(int32_t x, int32_t y);
    virtual void LineTo(int32_t x, int32_t y);
    // The same as MoveTo(points[0]) followed by LineTo for every later point,
    // drawn in one call.
    virtual void Polyline(const QPoint *points, int32_t count);
    virtual void Ellipse(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    virtual void Polygon(const QPoint *points, int32_t count);
    virtual void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    virtual void TextOut(int32_t x, int32_t y, const QString &text);
    virtual QSize TextExtent(const QString &text);
    // Copies an image with its top-left corner at (x, y).
    virtual void Draw(int32_t x, int32_t y, const QImage &image);

    // Whether Stamp can be used: the canvas paints on a 32-bit image.
    virtual bool CanStamp() const;
    // Copies the stamp centred on each point; consecutive repeats of a
    // centre are drawn once (the result is the same).
    virtual void Stamp(const TCanvasStamp &stamp, const QPoint *centres, size_t count);

  protected:
    // A canvas without an image, for subclasses that record what is drawn.
    TCanvas();

  private:
    void ApplyPen();
    // One-pixel solid lines are rasterised here rather than by QPainter,
    // which leaves out the end with the larger coordinate instead of the end
    // point, and so loses corners of closed outlines.
    bool ThinPen() const;
    void ThinLine(QPoint from, QPoint to);
    void ThinOutline(const QPoint *points, int32_t count);

    QImage *FImage = nullptr;
    std::unique_ptr<QPainter> FPainter;
    QPen FPen;
    uint32_t FPenPixel = 0xFF000000u; // the pen colour as an opaque pixel
    QBrush FBrush;
    TFont FFont;
    QPoint FPenPos;
};

// A new graph image: 32-bit RGB, white, 96 dots per inch so that text sizes
// behave as on screen. EGraphImageError when it cannot be allocated.
QImage NewGraphImage(int32_t width, int32_t height);
