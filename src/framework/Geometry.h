// Points and rectangles in the platform's terms, and its MulDiv.
#pragma once

#include <QRect>

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
inline TRect Rect(int l, int t, int r, int b) {
    return {l, t, r, b};
}

// The platform's MulDiv: x * y / z with a 64-bit intermediate, rounded to nearest
// (halves away from zero); -1 when z is 0.
int MulDiv(int x, int y, int z);

// Nearest integer, halves to even (as the platform's floating-point unit rounds by
// default), whatever the current rounding mode.
int RoundEven(double v);
