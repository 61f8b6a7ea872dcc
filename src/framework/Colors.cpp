#include "framework/Colors.h"

#include <iterator>

namespace {

// The platform's classic system colours, 0x00BBGGRR.
constexpr TColor kSystemColors[] = {
    0xC0C0C0,  // 0 scroll bar
    0x808000,  // 1 desktop
    0x800000,  // 2 active caption
    0x808080,  // 3 inactive caption
    0xC0C0C0,  // 4 menu
    0xFFFFFF,  // 5 window
    0x000000,  // 6 window frame
    0x000000,  // 7 menu text
    0x000000,  // 8 window text
    0xFFFFFF,  // 9 caption text
    0xC0C0C0,  // 10 active border
    0xC0C0C0,  // 11 inactive border
    0x808080,  // 12 application workspace
    0x800000,  // 13 highlight
    0xFFFFFF,  // 14 highlight text
    0xC0C0C0,  // 15 button face
    0x808080,  // 16 button shadow
    0x808080,  // 17 grey text
    0x000000,  // 18 button text
    0xC0C0C0,  // 19 inactive caption text
    0xFFFFFF,  // 20 button highlight
    0x000000,  // 21 3-D dark shadow
    0xDFDFDF,  // 22 3-D light
    0x000000,  // 23 tooltip text
    0xE1FFFF,  // 24 tooltip background
    0xB5B5B5,  // 25 (unused)
    0xFF0000,  // 26 hot-tracked item
    0xD08410,  // 27 gradient active caption
    0xB5B5B5,  // 28 gradient inactive caption
};

}  // namespace

TColor ColorToRGB(TColor c) {
    if (c & 0x80000000u) {
        unsigned n = c & 0xFFu;
        return n < std::size(kSystemColors) ? kSystemColors[n] : 0;
    }
    return c & 0x00FFFFFFu;
}

QColor ToQColor(TColor c) {
    TColor rgb = ColorToRGB(c);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& q) {
    return RGB(q.red(), q.green(), q.blue());
}

TColor RGB(int r, int g, int b) {
    return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
