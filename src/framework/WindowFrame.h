// The frame of a form's window as its border style, border icons and state make it: the
// frame and caption sizes, the caption bar, its small icon, buttons and title area, in
// window coordinates, and the glyph each button shows. The form hit-tests and paints its
// caption with it, and so does a component that paints the caption in the form's place, so
// that clicks land on what is drawn and both captions look alike.
#pragma once

#include "framework/Geometry.h"

class QImage;
class TCanvas;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIconFlag : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

struct TWindowFrame {
    TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;
    TBorderIcons BorderIcons = biSystemMenu | biMinimize | biMaximize;
    TWindowState WindowState = TWindowState::wsNormal;
    int ClientWidth = 0;

    bool ToolWindow() const;
    int FrameWidth() const;
    int FrameHeight() const;
    int CaptionHeight() const;
    int WindowWidth() const { return ClientWidth + 2 * FrameWidth(); }
    // The caption bar; empty without a border. A minimised window has no sizing border, so
    // its bar lies within the fixed frame.
    TRect CaptionBar() const;
    // A caption button by its hit-test code (HTCLOSE, HTMAXBUTTON, HTMINBUTTON, HTHELP);
    // empty when the window does not show it.
    TRect CaptionButton(unsigned hitTest) const;
    // The DrawFrameControl state of a shown button: its glyph by the window state, greyed
    // when its border icon is off.
    unsigned CaptionGlyph(unsigned hitTest) const;
    // The small icon at the bar's left, where the border style shows one; else empty.
    TRect CaptionIcon() const;
    // What the buttons take from the bar's right: each one's metric width, and 2 pixels more
    // for the gaps after close and after help.
    int ButtonSpace() const;
    // The bar less the small icon and the buttons: where the title goes.
    TRect CaptionText() const;
};

// The caption's small icon and its buttons, drawn where `frame` puts them; a null icon
// leaves its place as it was.
void DrawCaptionIcon(TCanvas& c, const TWindowFrame& frame, const QImage& icon);
void DrawCaptionButtons(TCanvas& c, const TWindowFrame& frame);
