// Fonts: platform face names, heights and styles over the faces embedded in the program.
#pragma once

#include <QFont>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "framework/Colors.h"

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;
enum class TFontPitch { fpDefault, fpVariable, fpFixed };
constexpr int DEFAULT_CHARSET = 1;
constexpr int OEM_CHARSET = 255;

// The face and height a font starts with, as windows and their controls show text.
inline constexpr const char* kDefaultFontName = "MS Sans Serif";
constexpr int kDefaultFontHeight = -11;

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

    bool operator==(const TFont& o) const { return SameFace(o) && color_ == o.color_; }
    // Everything but the colour alike: text measures the same in both.
    bool SameFace(const TFont& o) const;
    QFont ToQFont() const;

    // Raised after every change of an attribute.
    std::function<void(TFont*)> OnChange;

  private:
    void Changed();
    QFont makeQFont() const;
    std::string name_ = kDefaultFontName;
    int height_ = kDefaultFontHeight;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    int charset_ = DEFAULT_CHARSET;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    // The toolkit font of these attributes, made on first use (text is measured and drawn
    // often; resolving a face each time is not cheap). Copies share the cell, so the font
    // one of them makes serves them all until their attributes part.
    struct QFontCell {
        std::optional<QFont> Font;
    };
    std::shared_ptr<QFontCell> sharedCell() const;
    mutable std::shared_ptr<QFontCell> qfont_;
};
