// Off-screen pictures with a canvas of their own, and the bitmaps built into the program.
#pragma once

#include <QImage>
#include <string>

#include "framework/Canvas.h"

class TBitmap {
  public:
    TBitmap();
    TBitmap(int width, int height);
    virtual ~TBitmap() = default;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;

    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
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
    QImage image_;
    TCanvas canvas_;
};
