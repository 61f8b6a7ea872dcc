// The canvas paints on a QImage without antialiasing, with the platform's rules (rectangles
// exclude their right and bottom edges, lines exclude their end point), so a test can check
// painting pixel by pixel.
//
// Coordinates are logical pixels. A target with a device pixel ratio r (a high-density
// screen) holds r device pixels per logical one: logical coordinate v lies at device pixel
// DevicePixel(v, r), lines, frames and the pen are r device pixels wide, text is rendered at
// r times its size, and pictures of another ratio are scaled to their logical size. At r = 1
// every pixel is where it always was.
#pragma once

#include <QImage>
#include <functional>
#include <string>

#include "framework/Colors.h"
#include "framework/Fonts.h"
#include "framework/Geometry.h"

enum class TPenMode { pmCopy, pmXor, pmNot };
struct TPen {
    TColor Color = clBlack;
    int Width = 1;
    bool Clear = false;  // psClear
    TPenMode Mode = TPenMode::pmCopy;
};

enum class TBrushStyle { bsSolid, bsClear };
struct TBrush {
    TColor Color = clWhite;
    TBrushStyle Style = TBrushStyle::bsSolid;
};

// Text metrics in the platform's terms.
struct TTextMetric {
    int Height = 0;  // cell height: ascent + descent
    int Ascent = 0;
    int Descent = 0;
    int InternalLeading = 0;  // cell height minus character height
    int AveCharWidth = 0;
};

// DrawText flags.
enum TextFlag : unsigned {
    DT_LEFT = 0,
    DT_CENTER = 0x1,
    DT_RIGHT = 0x2,
    DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8,
    DT_WORDBREAK = 0x10,
    DT_SINGLELINE = 0x20,
    DT_EXPANDTABS = 0x40,
    DT_NOCLIP = 0x100,
    DT_CALCRECT = 0x400,
    DT_NOPREFIX = 0x800,
    DT_END_ELLIPSIS = 0x8000,
};

enum class TCopyMode { cmSrcCopy, cmSrcInvert, cmSrcAnd, cmSrcPaint };

// The device pixel of a logical coordinate at a ratio, rounded as the toolkit rounds sizes.
int DevicePixel(int logical, qreal ratio);
// A blank image of width x height logical pixels at a ratio.
QImage MakeImage(int width, int height, qreal ratio, QImage::Format format = QImage::Format_RGB32);

class TCanvas {
  public:
    TCanvas() = default;
    explicit TCanvas(QImage* target) : target_(target) {}
    void SetTarget(QImage* target) { target_ = target; }
    QImage* Target() const { return target_; }
    bool HasTarget() const { return target_ != nullptr && !target_->isNull(); }
    // Device pixels per logical pixel: the target's ratio, 1 without a target.
    qreal Ratio() const { return HasTarget() ? target_->devicePixelRatio() : 1.0; }
    // A logical rectangle in the target's device pixels.
    TRect ToDevice(const TRect& r) const;
    // A blank image of the given logical size at this canvas's ratio.
    QImage NewImage(int width, int height, QImage::Format format = QImage::Format_RGB32) const {
        return MakeImage(width, height, Ratio(), format);
    }

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_ = f; }
    // Painting is restricted to this rectangle when set.
    void SetClipRect(const TRect& r) {
        clip_ = r;
        clipped_ = true;
    }
    void ClearClipRect() { clipped_ = false; }

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);

    void FillRect(const TRect& r);                   // brush, no outline
    void Rectangle(int x1, int y1, int x2, int y2);  // pen outline, brush inside
    void FrameRect(const TRect& r);                  // one-pixel frame in brush colour
    void Ellipse(int x1, int y1, int x2, int y2);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);  // end point excluded
    TPoint PenPos() const { return penPos_; }

    void TextOut(int x, int y, const std::string& text);
    // Draws text in a rectangle with DT_* flags; returns the text height. With DT_CALCRECT
    // only measures, adjusting r.
    int DrawText(const std::string& text, TRect& r, unsigned flags);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;
    TTextMetric TextMetrics() const;

    // Pictures take their logical size (their own ratio); one of another ratio than the
    // target's is scaled smoothly.
    void Draw(int x, int y, const QImage& image);
    // Draws image with every pixel of the transparent colour left out; scaled to another
    // ratio by nearest neighbour, so small bitmaps stay sharp.
    void DrawTransparent(int x, int y, const QImage& image, TColor transparent);
    void StretchDraw(const TRect& r, const QImage& image);
    // Fills a rectangle of device pixels with the brush: for measures finer than a logical
    // pixel (a gauge's bar ends at the device pixel its percentage gives).
    void FillDeviceRect(const TRect& device);
    // Block copy from another image with a raster operation.
    void CopyRect(const TRect& dest, const QImage& source, const TRect& sourceRect,
                  TCopyMode mode = TCopyMode::cmSrcCopy);

    // Called after every drawing operation (a window surface repaints itself through it).
    std::function<void()> OnChanged;

  private:
    // Caption and push-button faces are drawn pixel by pixel, beside the other 3-D edges.
    friend void DrawFrameControl(TCanvas& canvas, const TRect& r, unsigned kind, unsigned state);
    friend struct CaptionGlyphPainter;

    void Changed() {
        if (OnChanged) OnChanged();
    }
    int dev(int v) const { return DevicePixel(v, Ratio()); }
    // The target's pixels as an image of ratio 1 (the same memory): painting in device pixels.
    QImage deviceView() const;
    bool inDeviceClip(int x, int y) const;
    TRect deviceClip() const;
    void setPixelRaw(int x, int y, TColor c);  // one logical pixel, in the pen's mode
    void setDevicePixel(int x, int y, TColor c);
    // Device rectangle in a colour: with the pen's mode, or copied.
    void fillDevice(TRect d, TColor c, bool penMode);
    // A line of device pixels, end point excluded, `thickness` pixels across.
    void deviceLine(int x0, int y0, int x1, int y1, int thickness, TColor c);
    // The ellipse inscribed in a device rectangle, its outline a pen wide, with only the
    // device pixels `keep` accepts (all without one).
    void ellipse(const TRect& device, const std::function<bool(int, int)>& keep);
    void applyClip(class QPainter& p) const;
    // CopyRect's two ways, on device rectangles of the same size (dest) and the source's
    // origin: whole rows between plain 32-bit images, else pixel by pixel.
    void copyRows(const QImage& src, const TRect& dest, const TRect& sourceRect, TCopyMode mode);
    void copyPixels(const QImage& src, const TRect& dest, const TRect& sourceRect, TCopyMode mode);

    QImage* target_ = nullptr;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    TPoint penPos_;
    TRect clip_;
    bool clipped_ = false;
};
