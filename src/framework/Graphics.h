// Colours, fonts, pens, brushes, the canvas and bitmaps. The canvas paints on a QImage
// without antialiasing, with the platform's rules (rectangles exclude their right and
// bottom edges, lines exclude their end point), so a test can check painting pixel by pixel.
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// ---- Colours -------------------------------------------------------------------------------
// 0x00BBGGRR is an explicit colour; 0x80000000 + n names system colour n.
using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor SystemColor(unsigned n) { return 0x80000000u + n; }
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

// Resolves system colours to 0x00BBGGRR.
TColor ColorToRGB(TColor c);
QColor ToQColor(TColor c);
TColor FromQColor(const QColor& q);
TColor RGB(int r, int g, int b);
inline int GetRValue(TColor c) { return static_cast<int>(c & 0xFF); }
inline int GetGValue(TColor c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int GetBValue(TColor c) { return static_cast<int>((c >> 16) & 0xFF); }

// ---- Geometry ------------------------------------------------------------------------------
struct TPoint {
    int X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

// Right and Bottom are exclusive.
struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    TRect Inflated(int dx, int dy) const { return {Left - dx, Top - dy, Right + dx, Bottom + dy}; }
    TRect Offset(int dx, int dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    QRect ToQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    bool operator==(const TRect&) const = default;
};
inline TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }

// The platform's MulDiv: x * y / z with a 64-bit intermediate, rounded to nearest
// (halves away from zero); -1 when z is 0.
int MulDiv(int x, int y, int z);

// ---- Fonts ---------------------------------------------------------------------------------
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
constexpr int DEFAULT_CHARSET = 1;
constexpr int OEM_CHARSET = 255;

// Registers the fonts embedded in the program (once).
void LoadEmbeddedFonts();
// The embedded face that stands in for a platform face name.
QString SubstituteFace(const std::string& name);

class TFont {
public:
    TFont();
    TFont(const TFont& other);
    TFont& operator=(const TFont& other);  // copies attributes, notifies once
    void Assign(const TFont& other) { *this = other; }

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Negative: character height in pixels; positive: cell height in pixels.
    int Height() const { return height_; }
    void SetHeight(int h);
    // Points at 96 pixels per inch.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles s);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    int Charset() const { return charset_; }
    void SetCharset(int c);
    TFontPitch Pitch() const { return pitch_; }
    void SetPitch(TFontPitch p);

    bool operator==(const TFont& o) const;
    QFont ToQFont() const;

    // Raised after every change of an attribute.
    std::function<void(TFont*)> OnChange;

private:
    void Changed();
    QFont makeQFont() const;
    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    int charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    // The toolkit font of these attributes, made on first use (text is measured and drawn
    // often; resolving a face each time is not cheap). Shared by copies.
    mutable std::shared_ptr<const QFont> qfont_;
};

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
    int Height = 0;           // cell height: ascent + descent
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

// Caption button kinds for DrawFrameControl.
enum FrameControl : unsigned {
    DFC_CAPTION = 1,
    DFC_BUTTON = 4,
    DFCS_CAPTIONCLOSE = 0x0000,
    DFCS_CAPTIONMIN = 0x0001,
    DFCS_CAPTIONMAX = 0x0002,
    DFCS_CAPTIONRESTORE = 0x0003,
    DFCS_CAPTIONHELP = 0x0004,
    DFCS_BUTTONPUSH = 0x0010,
    DFCS_INACTIVE = 0x0100,
    DFCS_PUSHED = 0x0200,
};

enum class TCopyMode { cmSrcCopy, cmSrcInvert, cmSrcAnd, cmSrcPaint };

class TBitmap;

// ---- Canvas --------------------------------------------------------------------------------
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(QImage* target) : target_(target) {}
    void SetTarget(QImage* target) { target_ = target; }
    QImage* Target() const { return target_; }
    bool HasTarget() const { return target_ != nullptr && !target_->isNull(); }

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_ = f; }
    // Painting is restricted to this rectangle when set.
    void SetClipRect(const TRect& r) { clip_ = r; clipped_ = true; }
    void ClearClipRect() { clipped_ = false; }

    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);

    void FillRect(const TRect& r);                             // brush, no outline
    void Rectangle(int x1, int y1, int x2, int y2);            // pen outline, brush inside
    void FrameRect(const TRect& r);                            // one-pixel frame in brush colour
    void Ellipse(int x1, int y1, int x2, int y2);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void MoveTo(int x, int y) { penPos_ = {x, y}; }
    void LineTo(int x, int y);                                 // end point excluded
    TPoint PenPos() const { return penPos_; }

    void TextOut(int x, int y, const std::string& text);
    // Draws text in a rectangle with DT_* flags; returns the text height. With DT_CALCRECT
    // only measures, adjusting r.
    int DrawText(const std::string& text, TRect& r, unsigned flags);
    int TextWidth(const std::string& text) const;
    int TextHeight(const std::string& text) const;
    TTextMetric TextMetrics() const;

    void Draw(int x, int y, const QImage& image);
    void Draw(int x, int y, const TBitmap& bitmap);
    // Draws image with every pixel of the transparent colour left out.
    void DrawTransparent(int x, int y, const QImage& image, TColor transparent);
    void StretchDraw(const TRect& r, const QImage& image);
    // Block copy from another image with a raster operation.
    void CopyRect(const TRect& dest, const QImage& source, const TRect& sourceRect,
                  TCopyMode mode = TCopyMode::cmSrcCopy);
    // The platform's caption and push-button drawing.
    void DrawFrameControl(const TRect& r, unsigned kind, unsigned state);

    // Called after every drawing operation (a window surface repaints itself through it).
    std::function<void()> OnChanged;

private:
    void Changed() {
        if (OnChanged) OnChanged();
    }
    bool inClip(int x, int y) const;
    void setPixelRaw(int x, int y, TColor c);
    void applyClip(class QPainter& p) const;

    QImage* target_ = nullptr;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    TPoint penPos_;
    TRect clip_;
    bool clipped_ = false;
};

// ---- Bitmap --------------------------------------------------------------------------------
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
