#include "framework/FrameControls.h"

#include "framework/Canvas.h"

#include <algorithm>

void Frame3D(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width) {
    TPen saved = canvas.Pen();
    TPoint at = canvas.PenPos();
    for (int i = 0; i < width && !r.IsEmpty(); ++i) {
        const int right = r.Right - 1, bottom = r.Bottom - 1;
        canvas.Pen() = {topLeft, 1, false, saved.Mode};
        canvas.MoveTo(r.Left, bottom);
        canvas.LineTo(r.Left, r.Top);
        canvas.LineTo(right, r.Top);
        canvas.Pen().Color = bottomRight;
        canvas.LineTo(right, bottom);
        canvas.LineTo(r.Left - 1, bottom);
        r = r.Inflated(-1, -1);
    }
    canvas.Pen() = saved;
    canvas.MoveTo(at.X, at.Y);
}

// The glyphs of the caption buttons, drawn pixel by pixel around a centre (cx, cy) with the
// half size s, as the platform's own look draws them.
struct CaptionGlyphPainter {
    TCanvas& canvas;
    TRect face;  // the button, for the help glyph's text
    int cx, cy, s;

    void Draw(unsigned glyph, int dx, int dy, TColor c) {
        canvas.pen_ = {c, 1, false, TPenMode::pmCopy};
        const int gx = cx + dx, gy = cy + dy;
        switch (glyph) {
            case DFCS_CAPTIONCLOSE:
                return close(gx, gy, c);
            case DFCS_CAPTIONMIN:
                for (int x = gx - s + 1; x < gx + s - 1; ++x) {
                    canvas.setPixelRaw(x, gy + s - 2, c);
                    canvas.setPixelRaw(x, gy + s - 1, c);
                }
                return;
            case DFCS_CAPTIONMAX:
                return box(gx - s + 1, gy - s + 1, gx + s - 1, gy + s - 1, true, c);
            case DFCS_CAPTIONRESTORE:
                box(gx - s + 4, gy - s, gx + s, gy + s - 4, false, c);
                box(gx - s + 1, gy - s + 3, gx + s - 3, gy + s - 1, false, c);
                return;
            case DFCS_CAPTIONHELP:
                return help(dx, dy, c);
            default:
                return;
        }
    }

  private:
    void close(int gx, int gy, TColor c) {
        if (canvas.Ratio() != 1.0) {
            // The cross's diagonals step by device pixels, two logical pixels thick down each
            // column as at one device pixel per logical one.
            auto D = [&](int v) { return canvas.dev(v); };
            const int thick = 2 * std::max(1, D(1) - D(0));
            canvas.deviceLine(D(gx - s + 1), D(gy - s), D(gx + s + 1), D(gy + s), thick, c);
            canvas.deviceLine(D(gx - s + 1), D(gy + s - 1), D(gx + s + 1), D(gy - s - 1), thick, c);
            return;
        }
        for (int k = -s + 1; k < s; ++k) {
            canvas.setPixelRaw(gx + k, gy + k, c);
            canvas.setPixelRaw(gx + k + 1, gy + k, c);
            canvas.setPixelRaw(gx + k, gy - k, c);
            canvas.setPixelRaw(gx + k + 1, gy - k, c);
        }
    }
    // A window outline from (x0, y0) to (x1, y1) inclusive; a maximized window's title bar
    // is two pixels thick.
    void box(int x0, int y0, int x1, int y1, bool thickTop, TColor c) {
        for (int x = x0; x <= x1; ++x) {
            canvas.setPixelRaw(x, y0, c);
            if (thickTop) canvas.setPixelRaw(x, y0 + 1, c);
            canvas.setPixelRaw(x, y1, c);
        }
        for (int y = y0; y <= y1; ++y) {
            canvas.setPixelRaw(x0, y, c);
            canvas.setPixelRaw(x1, y, c);
        }
    }
    void help(int dx, int dy, TColor c) {
        TFont saved = canvas.font_;
        canvas.font_.SetName(kDefaultFontName);
        canvas.font_.SetHeight(-std::max(8, 2 * s + 2));
        canvas.font_.SetStyle(fsBold);
        canvas.font_.SetColor(c);
        TBrush b = canvas.brush_;
        canvas.brush_.Style = TBrushStyle::bsClear;
        TRect tr = face.Offset(dx, dy);
        canvas.DrawText("?", tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        canvas.brush_ = b;
        canvas.font_ = saved;
    }
};

void DrawFrameControl(TCanvas& canvas, const TRect& r, unsigned kind, unsigned state) {
    if (!canvas.HasTarget() || r.IsEmpty()) return;
    TBrush savedBrush = canvas.brush_;
    TPen savedPen = canvas.pen_;
    bool pushed = state & DFCS_PUSHED;
    // Face and the two-level 3-D edge.
    canvas.brush_ = {clBtnFace, TBrushStyle::bsSolid};
    canvas.FillRect(r);
    TRect edge = r;
    if (pushed) {
        Frame3D(canvas, edge, cl3DDkShadow, clBtnHighlight, 1);
        Frame3D(canvas, edge, clBtnShadow, cl3DLight, 1);
    } else {
        Frame3D(canvas, edge, cl3DLight, cl3DDkShadow, 1);
        Frame3D(canvas, edge, clBtnHighlight, clBtnShadow, 1);
    }
    if (kind == DFC_CAPTION) {
        const unsigned glyph = state & 0xFF;
        const int off = pushed ? 1 : 0;
        // A pushed button's glyph (the help glyph's text too) moves a pixel down and right.
        CaptionGlyphPainter painter{canvas, r.Offset(off, off), r.Left + r.Width() / 2 + off,
                                    r.Top + r.Height() / 2 + off,
                                    std::max(2, std::min(r.Width(), r.Height()) / 2 - 2)};
        if (state & DFCS_INACTIVE) {
            painter.Draw(glyph, 1, 1, clBtnHighlight);
            painter.Draw(glyph, 0, 0, clBtnShadow);
        } else {
            painter.Draw(glyph, 0, 0, clBtnText);
        }
    }
    canvas.brush_ = savedBrush;
    canvas.pen_ = savedPen;
    canvas.Changed();
}
