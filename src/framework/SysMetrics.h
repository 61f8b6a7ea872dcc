// The platform's window metrics and caption font, in its classic look, kept in one table
// so every window and component measures the frame the same way.
#pragma once

#include "framework/Fonts.h"

enum SystemMetric : int {
    SM_CXSCREEN = 0,
    SM_CYSCREEN = 1,
    SM_CXVSCROLL = 2,
    SM_CYHSCROLL = 3,
    SM_CYCAPTION = 4,
    SM_CXBORDER = 5,
    SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7,
    SM_CYDLGFRAME = 8,
    SM_CXICON = 11,
    SM_CYICON = 12,
    SM_CXFRAME = 32,
    SM_CYFRAME = 33,
    SM_CXSIZE = 30,
    SM_CYSIZE = 31,
    SM_CXSMICON = 49,
    SM_CYSMICON = 50,
    SM_CYSMCAPTION = 51,
    SM_CXSMSIZE = 52,
    SM_CYSMSIZE = 53,
};
constexpr int SM_CXFIXEDFRAME = SM_CXDLGFRAME;
constexpr int SM_CYFIXEDFRAME = SM_CYDLGFRAME;
constexpr int SM_CXSIZEFRAME = SM_CXFRAME;
constexpr int SM_CYSIZEFRAME = SM_CYFRAME;

int GetSystemMetrics(int index);

// The caption font of the non-client metrics. Returns false when the metrics cannot be read,
// in which case the stock system font should be used.
bool GetCaptionFont(TFont& font);
TFont StockSystemFont();

// Bits per pixel of the screen.
int ScreenColorDepth();
