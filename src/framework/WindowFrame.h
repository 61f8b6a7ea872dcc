// The frame of a form's window as its border style, border icons and state make it: the
// frame and caption sizes, the caption bar and its buttons, in window coordinates. The form
// hit-tests and paints its caption with it, and so does a component that paints the
// caption in the form's place, so that clicks land on what is drawn.
#pragma once

#include "framework/Geometry.h"

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
};
