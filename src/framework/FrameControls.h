// The platform's 3-D look: raised and sunken edges, caption and push-button faces.
#pragma once

#include "framework/Colors.h"
#include "framework/Geometry.h"

// Caption button kinds for DrawFrameControl.
enum FrameControl : unsigned {
    DFC_CAPTION = 1,
    DFC_BUTTON = 4,
    DFCS_CAPTIONCLOSE = 0x0000,
    DFCS_CAPTIONMIN = 0x0001,
    DFCS_CAPTIONMAX = 0x0002,
    DFCS_CAPTIONRESTORE = 0x0003,
    DFCS_CAPTIONHELP = 0x0004,
    DFCS_BUTTONPUSH = 0x0010,
    DFCS_INACTIVE = 0x0100,
    DFCS_PUSHED = 0x0200,
};

class TCanvas;

// The platform's caption-button and push-button face (kind DFC_CAPTION with a DFCS_CAPTION
// glyph, or DFC_BUTTON), filling r; DFCS_PUSHED draws it pressed, DFCS_INACTIVE greys the
// glyph. Leaves the canvas's pen, brush and font as they were.
void DrawFrameControl(TCanvas& canvas, const TRect& r, unsigned kind, unsigned state);

// A 3-D edge `width` pixels deep just inside r: each ring has its top and left sides in
// topLeft and its right and bottom sides (with the top-right and bottom-left corners) in
// bottomRight. r comes back as the area inside the edge. Leaves the canvas's pen as it was.
void Frame3D(TCanvas& canvas, TRect& r, TColor topLeft, TColor bottomRight, int width);
