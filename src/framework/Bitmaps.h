// Off-screen pictures with a canvas of their own, and the bitmaps built into the program.
#pragma once

#include <QImage>
#include <string>

#include "framework/Canvas.h"

// Width and Height are logical pixels; a bitmap made at a device pixel ratio holds that many
// device pixels per logical one (a picture drawn for a high-density screen), a loaded one
// keeps its stored pixels at ratio 1.
class TBitmap {
  public:
    TBitmap();
    TBitmap(int width, int height, qreal ratio = 1.0);
    virtual ~TBitmap() = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return width_; }
    int Height() const { return height_; }
    qreal Ratio() const { return image_.devicePixelRatio(); }
    void SetSize(int width, int height);
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    bool Empty() const { return image_.isNull() || image_.width() == 0; }
    TCanvas& Canvas() { return canvas_; }
    const QImage& Image() const { return image_; }
    void SetImage(const QImage& image);
    // Loads a bitmap resource embedded in the program by its name (":/bitmaps/NAME.bmp").
    bool LoadFromResourceName(const std::string& name);
    // The colour of the bottom-left pixel, which marks transparency for small bitmaps.
    TColor TransparentColor() const;

  private:
    void resize(int width, int height, qreal ratio);
    QImage image_;
    int width_ = 0, height_ = 0;
    TCanvas canvas_;
};
