#include "framework/Fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>
#include <map>

#include "framework/Geometry.h"
#include "framework/SysUtils.h"

void LoadEmbeddedFonts() {
    static bool loaded = false;
    if (loaded || !qGuiApp) return;
    loaded = true;
    for (const char* f :
         {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf", "LiberationSans-Italic.ttf",
          "LiberationSans-BoldItalic.ttf", "DejaVuSansMono.ttf", "DejaVuSansMono-Bold.ttf"})
        QFontDatabase::addApplicationFont(QString(":/fonts/") + f);
}

QString SubstituteFace(const std::string& name) {
    std::string n = AnsiLowerCaseFileName(name);
    if (n == "terminal" || n == "fixedsys" || n.find("courier") != std::string::npos ||
        n.find("mono") != std::string::npos || n == "lucida console")
        return "DejaVu Sans Mono";
    return "Liberation Sans";
}

TFont::TFont() = default;

TFont::TFont(const TFont& other)
    : name_(other.name_),
      height_(other.height_),
      style_(other.style_),
      color_(other.color_),
      charset_(other.charset_),
      pitch_(other.pitch_),
      qfont_(other.sharedCell()) {}

TFont& TFont::operator=(const TFont& other) {
    if (this == &other) return *this;
    bool same = *this == other;
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    charset_ = other.charset_;
    pitch_ = other.pitch_;
    // The other's toolkit font is that of the attributes now taken: kept.
    qfont_ = other.sharedCell();
    if (!same && OnChange) OnChange(this);
    return *this;
}

bool TFont::SameFace(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && style_ == o.style_ &&
           charset_ == o.charset_ && pitch_ == o.pitch_;
}

void TFont::Changed() {
    qfont_.reset();
    if (OnChange) OnChange(this);
}

void TFont::SetName(const std::string& name) {
    if (name == name_) return;
    name_ = name;
    Changed();
}

void TFont::SetHeight(int h) {
    if (h == height_) return;
    height_ = h;
    Changed();
}

int TFont::Size() const {
    return -MulDiv(height_, 72, 96);
}

void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, 96, 72));
}

void TFont::SetStyle(TFontStyles s) {
    if (s == style_) return;
    style_ = s;
    Changed();
}

void TFont::SetColor(TColor c) {
    if (c == color_) return;
    color_ = c;
    // The colour is no part of the toolkit font: text drawn in turns of colours (3-D copies)
    // keeps the one it has.
    if (OnChange) OnChange(this);
}

void TFont::SetCharset(int c) {
    if (c == charset_) return;
    charset_ = c;
    Changed();
}

void TFont::SetPitch(TFontPitch p) {
    if (p == pitch_) return;
    pitch_ = p;
    Changed();
}

namespace {

// Pixel size whose cell height (ascent + descent) is closest to a positive font height.
int pixelSizeForCellHeight(const QString& family, int cell) {
    static std::map<QString, double> ratio;
    auto it = ratio.find(family);
    if (it == ratio.end()) {
        QFont probe(family);
        probe.setPixelSize(100);
        QFontMetrics fm(probe);
        it = ratio.emplace(family, (fm.ascent() + fm.descent()) / 100.0).first;
    }
    return std::max(1, static_cast<int>(std::lround(cell / it->second)));
}

}  // namespace

std::shared_ptr<TFont::QFontCell> TFont::sharedCell() const {
    if (!qfont_) qfont_ = std::make_shared<QFontCell>();
    return qfont_;
}

QFont TFont::ToQFont() const {
    if (!qfont_) qfont_ = std::make_shared<QFontCell>();
    if (!qfont_->Font) qfont_->Font = makeQFont();
    return *qfont_->Font;
}

QFont TFont::makeQFont() const {
    LoadEmbeddedFonts();
    QString family = SubstituteFace(name_);
    QFont f(family);
    int h = height_;
    if (h < 0)
        f.setPixelSize(-h);
    else if (h > 0)
        f.setPixelSize(pixelSizeForCellHeight(family, h));
    else
        f.setPixelSize(13);
    f.setBold(style_ & fsBold);
    f.setItalic(style_ & fsItalic);
    f.setUnderline(style_ & fsUnderline);
    f.setStrikeOut(style_ & fsStrikeOut);
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setKerning(false);
    return f;
}
