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
        unsigned glyph = state & 0xFF;
        bool inactive = state & DFCS_INACTIVE;
        int off = pushed ? 1 : 0;
        int cx = r.Left + r.Width() / 2 + off, cy = r.Top + r.Height() / 2 + off;
        int s = std::max(2, std::min(r.Width(), r.Height()) / 2 - 2);
        auto drawGlyph = [&](int dx, int dy, TColor c) {
            canvas.pen_ = {c, 1, false, TPenMode::pmCopy};
            int gx = cx + dx, gy = cy + dy;
            switch (glyph) {
                case DFCS_CAPTIONCLOSE:
                    if (canvas.Ratio() != 1.0) {
                        // The cross's diagonals step by device pixels, two logical pixels
                        // thick down each column as at one device pixel per logical one.
                        auto D = [&](int v) { return canvas.dev(v); };
                        const int thick = 2 * std::max(1, D(1) - D(0));
                        canvas.deviceLine(D(gx - s + 1), D(gy - s), D(gx + s + 1), D(gy + s), thick,
                                          c);
                        canvas.deviceLine(D(gx - s + 1), D(gy + s - 1), D(gx + s + 1),
                                          D(gy - s - 1), thick, c);
                        break;
                    }
                    for (int k = -s + 1; k < s; ++k) {
                        canvas.setPixelRaw(gx + k, gy + k, c);
                        canvas.setPixelRaw(gx + k + 1, gy + k, c);
                        canvas.setPixelRaw(gx + k, gy - k, c);
                        canvas.setPixelRaw(gx + k + 1, gy - k, c);
                    }
                    break;
                case DFCS_CAPTIONMIN:
                    for (int x = gx - s + 1; x < gx + s - 1; ++x) {
                        canvas.setPixelRaw(x, gy + s - 2, c);
                        canvas.setPixelRaw(x, gy + s - 1, c);
                    }
                    break;
                case DFCS_CAPTIONMAX:
                    for (int x = gx - s + 1; x < gx + s; ++x) {
                        canvas.setPixelRaw(x, gy - s + 1, c);
                        canvas.setPixelRaw(x, gy - s + 2, c);
                        canvas.setPixelRaw(x, gy + s - 1, c);
                    }
                    for (int y = gy - s + 1; y < gy + s; ++y) {
                        canvas.setPixelRaw(gx - s + 1, y, c);
                        canvas.setPixelRaw(gx + s - 1, y, c);
                    }
                    break;
                case DFCS_CAPTIONRESTORE:
                    for (int k = 0; k < 2; ++k) {
                        int ox = k == 0 ? 2 : -1, oy = k == 0 ? -2 : 1;
                        for (int x = gx - s + 2 + ox; x < gx + s - 1 + ox; ++x) {
                            canvas.setPixelRaw(x, gy - s + 2 + oy, c);
                            canvas.setPixelRaw(x, gy + s - 2 + oy, c);
                        }
                        for (int y = gy - s + 2 + oy; y < gy + s - 1 + oy; ++y) {
                            canvas.setPixelRaw(gx - s + 2 + ox, y, c);
                            canvas.setPixelRaw(gx + s - 2 + ox, y, c);
                        }
                    }
                    break;
                case DFCS_CAPTIONHELP: {
                    TFont saved = canvas.font_;
                    canvas.font_.SetName(kDefaultFontName);
                    canvas.font_.SetHeight(-std::max(8, 2 * s + 2));
                    canvas.font_.SetStyle(fsBold);
                    canvas.font_.SetColor(c);
                    TBrush b = canvas.brush_;
                    canvas.brush_.Style = TBrushStyle::bsClear;
                    TRect tr = r.Offset(dx + off, dy + off);
                    canvas.DrawText("?", tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
                    canvas.brush_ = b;
                    canvas.font_ = saved;
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
    canvas.brush_ = savedBrush;
    canvas.pen_ = savedPen;
    canvas.Changed();
}
