#include "framework/WindowFrame.h"

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
    int w = GetSystemMetrics(ToolWindow() ? SM_CXSMSIZE : SM_CXSIZE) - 2;
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
