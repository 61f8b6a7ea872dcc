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

void TCanvas::DrawFrameControl(const TRect& r, unsigned kind, unsigned state) {
    if (!HasTarget() || r.IsEmpty()) return;
    TBrush savedBrush = brush_;
    TPen savedPen = pen_;
    bool pushed = state & DFCS_PUSHED;
    // Face and the two-level 3-D edge.
    brush_ = {clBtnFace, TBrushStyle::bsSolid};
    FillRect(r);
    TRect edge = r;
    if (pushed) {
        Frame3D(*this, edge, cl3DDkShadow, clBtnHighlight, 1);
        Frame3D(*this, edge, clBtnShadow, cl3DLight, 1);
    } else {
        Frame3D(*this, edge, cl3DLight, cl3DDkShadow, 1);
        Frame3D(*this, edge, clBtnHighlight, clBtnShadow, 1);
    }
    if (kind == DFC_CAPTION) {
        unsigned glyph = state & 0xFF;
        bool inactive = state & DFCS_INACTIVE;
        int off = pushed ? 1 : 0;
        int cx = r.Left + r.Width() / 2 + off, cy = r.Top + r.Height() / 2 + off;
        int s = std::max(2, std::min(r.Width(), r.Height()) / 2 - 2);
        auto drawGlyph = [&](int dx, int dy, TColor c) {
            pen_ = {c, 1, false, TPenMode::pmCopy};
            int gx = cx + dx, gy = cy + dy;
            switch (glyph) {
                case DFCS_CAPTIONCLOSE:
                    for (int k = -s + 1; k < s; ++k) {
                        setPixelRaw(gx + k, gy + k, c);
                        setPixelRaw(gx + k + 1, gy + k, c);
                        setPixelRaw(gx + k, gy - k, c);
                        setPixelRaw(gx + k + 1, gy - k, c);
                    }
                    break;
                case DFCS_CAPTIONMIN:
                    for (int x = gx - s + 1; x < gx + s - 1; ++x) {
                        setPixelRaw(x, gy + s - 2, c);
                        setPixelRaw(x, gy + s - 1, c);
                    }
                    break;
                case DFCS_CAPTIONMAX:
                    for (int x = gx - s + 1; x < gx + s; ++x) {
                        setPixelRaw(x, gy - s + 1, c);
                        setPixelRaw(x, gy - s + 2, c);
                        setPixelRaw(x, gy + s - 1, c);
                    }
                    for (int y = gy - s + 1; y < gy + s; ++y) {
                        setPixelRaw(gx - s + 1, y, c);
                        setPixelRaw(gx + s - 1, y, c);
                    }
                    break;
                case DFCS_CAPTIONRESTORE:
                    for (int k = 0; k < 2; ++k) {
                        int ox = k == 0 ? 2 : -1, oy = k == 0 ? -2 : 1;
                        for (int x = gx - s + 2 + ox; x < gx + s - 1 + ox; ++x) {
                            setPixelRaw(x, gy - s + 2 + oy, c);
                            setPixelRaw(x, gy + s - 2 + oy, c);
                        }
                        for (int y = gy - s + 2 + oy; y < gy + s - 1 + oy; ++y) {
                            setPixelRaw(gx - s + 2 + ox, y, c);
                            setPixelRaw(gx + s - 2 + ox, y, c);
                        }
                    }
                    break;
                case DFCS_CAPTIONHELP: {
                    TFont saved = font_;
                    font_.SetName(kDefaultFontName);
                    font_.SetHeight(-std::max(8, 2 * s + 2));
                    font_.SetStyle(fsBold);
                    font_.SetColor(c);
                    TBrush b = brush_;
                    brush_.Style = TBrushStyle::bsClear;
                    TRect tr = r.Offset(dx + off, dy + off);
                    DrawText("?", tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
                    brush_ = b;
                    font_ = saved;
                    break;
                }
                default:
                    break;
            }
        };
        if (inactive) {
            drawGlyph(1, 1, clBtnHighlight);
            drawGlyph(0, 0, clBtnShadow);
        } else {
            drawGlyph(0, 0, clBtnText);
        }
    }
    brush_ = savedBrush;
    pen_ = savedPen;
    Changed();
}
