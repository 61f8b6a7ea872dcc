#include "framework/WindowFrame.h"

#include <QImage>

#include "framework/Canvas.h"
#include "framework/FrameControls.h"
#include "framework/Messages.h"
#include "framework/SysMetrics.h"

bool TWindowFrame::ToolWindow() const {
    return BorderStyle == TFormBorderStyle::bsToolWindow ||
           BorderStyle == TFormBorderStyle::bsSizeToolWin;
}

namespace {

bool sizeable(TFormBorderStyle s) {
    return s == TFormBorderStyle::bsSizeable || s == TFormBorderStyle::bsSizeToolWin;
}

// A caption button's metric width; the button itself is 2 pixels narrower.
int buttonMetric(bool toolWindow) {
    return GetSystemMetrics(toolWindow ? SM_CXSMSIZE : SM_CXSIZE);
}

constexpr unsigned kCaptionButtons[] = {HTCLOSE, HTMAXBUTTON, HTMINBUTTON, HTHELP};

}  // namespace

int TWindowFrame::FrameWidth() const {
    if (BorderStyle == TFormBorderStyle::bsNone) return 0;
    return GetSystemMetrics(sizeable(BorderStyle) ? SM_CXSIZEFRAME : SM_CXFIXEDFRAME);
}

int TWindowFrame::FrameHeight() const {
    if (BorderStyle == TFormBorderStyle::bsNone) return 0;
    return GetSystemMetrics(sizeable(BorderStyle) ? SM_CYSIZEFRAME : SM_CYFIXEDFRAME);
}

int TWindowFrame::CaptionHeight() const {
    if (BorderStyle == TFormBorderStyle::bsNone) return 0;
    return GetSystemMetrics(ToolWindow() ? SM_CYSMCAPTION : SM_CYCAPTION);
}

TRect TWindowFrame::CaptionBar() const {
    if (BorderStyle == TFormBorderStyle::bsNone) return {};
    bool minimised = WindowState == TWindowState::wsMinimized;
    int fx = minimised ? GetSystemMetrics(SM_CXFIXEDFRAME) : FrameWidth();
    int fy = minimised ? GetSystemMetrics(SM_CYFIXEDFRAME) : FrameHeight();
    return {fx, fy, WindowWidth() - fx, fy + CaptionHeight() - 1};
}

TRect TWindowFrame::CaptionButton(unsigned hitTest) const {
    if (BorderStyle == TFormBorderStyle::bsNone || !(BorderIcons & biSystemMenu)) return {};
    // Right to left: close; 2 pixels further, maximise and minimise side by side; then help.
    TRect br = CaptionBar().Inflated(-2, -2);
    int w = buttonMetric(ToolWindow()) - 2;
    br.Left = br.Right - w;
    if (hitTest == HTCLOSE) return br;
    br = br.Offset(-(w + 2), 0);
    if (ToolWindow()) return {};
    bool dialog = BorderStyle == TFormBorderStyle::bsDialog;
    bool minMax = (BorderIcons & (biMinimize | biMaximize)) && !dialog;
    if (minMax) {
        if (hitTest == HTMAXBUTTON) return br;
        br = br.Offset(-w, 0);
        if (hitTest == HTMINBUTTON) return br;
        br = br.Offset(-w, 0);
    } else if (hitTest == HTMAXBUTTON || hitTest == HTMINBUTTON) {
        return {};
    }
    bool help = (BorderIcons & biHelp) && (dialog || !minMax);
    if (hitTest == HTHELP && help) return br;
    return {};
}

unsigned TWindowFrame::CaptionGlyph(unsigned hitTest) const {
    switch (hitTest) {
        case HTMAXBUTTON:
            return (WindowState == TWindowState::wsMaximized ? DFCS_CAPTIONRESTORE
                                                             : DFCS_CAPTIONMAX) |
                   (BorderIcons & biMaximize ? 0 : DFCS_INACTIVE);
        case HTMINBUTTON:
            return (WindowState == TWindowState::wsMinimized ? DFCS_CAPTIONRESTORE
                                                             : DFCS_CAPTIONMIN) |
                   (BorderIcons & biMinimize ? 0 : DFCS_INACTIVE);
        case HTHELP:
            return DFCS_CAPTIONHELP;
        default:
            return DFCS_CAPTIONCLOSE;
    }
}

TRect TWindowFrame::CaptionIcon() const {
    bool shown = (BorderIcons & biSystemMenu) && (BorderStyle == TFormBorderStyle::bsSingle ||
                                                  BorderStyle == TFormBorderStyle::bsSizeable);
    if (!shown) return {};
    int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
    if (w == 0) w = GetSystemMetrics(SM_CXSIZE);
    if (h == 0) h = GetSystemMetrics(SM_CYSIZE);
    TRect bar = CaptionBar();
    return {bar.Left + 2, bar.Top + 1, bar.Left + 2 + w, bar.Top + 1 + h};
}

int TWindowFrame::ButtonSpace() const {
    int w = buttonMetric(ToolWindow()), space = 0;
    for (unsigned ht : kCaptionButtons)
        if (!CaptionButton(ht).IsEmpty()) space += ht == HTCLOSE || ht == HTHELP ? w + 2 : w;
    return space;
}

TRect TWindowFrame::CaptionText() const {
    TRect t = CaptionBar();
    // The title starts where the icon's place ends, whether an icon is drawn there or not.
    if (!CaptionIcon().IsEmpty()) t.Left += GetSystemMetrics(SM_CXSMICON) + 2;
    t.Right -= ButtonSpace();
    return t;
}

void DrawCaptionIcon(TCanvas& c, const TWindowFrame& frame, const QImage& icon) {
    TRect r = frame.CaptionIcon();
    if (!r.IsEmpty() && !icon.isNull()) c.StretchDraw(r, icon);
}

void DrawCaptionButtons(TCanvas& c, const TWindowFrame& frame) {
    for (unsigned ht : kCaptionButtons) {
        TRect r = frame.CaptionButton(ht);
        if (!r.IsEmpty()) DrawFrameControl(c, r, DFC_CAPTION, frame.CaptionGlyph(ht));
    }
}
