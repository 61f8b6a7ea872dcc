// Window messages routed through a form's replaceable message procedure.
#pragma once

#include <cstdint>
#include <functional>

enum WindowMessage : unsigned {
    WM_DESTROY = 0x0002,
    WM_SYSCOLORCHANGE = 0x0015,
    WM_SETTINGCHANGE = 0x001A,
    WM_SETCURSOR = 0x0020,
    WM_DISPLAYCHANGE = 0x007E,
    WM_SETICON = 0x0080,
    WM_NCHITTEST = 0x0084,
    WM_NCPAINT = 0x0085,
    WM_NCACTIVATE = 0x0086,
    WM_MOUSEMOVE = 0x0200,
    WM_USER = 0x0400,
};

// Hit-test codes of the non-client area.
enum HitTest : int {
    HTNOWHERE = 0,
    HTCLIENT = 1,
    HTCAPTION = 2,
    HTSYSMENU = 3,
    HTMINBUTTON = 8,
    HTMAXBUTTON = 9,
    HTLEFT = 10,
    HTRIGHT = 11,
    HTTOP = 12,
    HTTOPLEFT = 13,
    HTTOPRIGHT = 14,
    HTBOTTOM = 15,
    HTBOTTOMLEFT = 16,
    HTBOTTOMRIGHT = 17,
    HTBORDER = 18,
    HTCLOSE = 20,
    HTHELP = 21,
};

// Virtual-key codes: the keys a form and its controls see, whatever the toolkit calls them.
enum VirtualKey : int {
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
};

// The update region of WM_NCPAINT when the whole frame is to be painted.
constexpr uintptr_t NCPAINT_WHOLE_FRAME = 1;

struct TMessage {
    unsigned Msg = 0;
    uintptr_t WParam = 0;
    intptr_t LParam = 0;
    intptr_t Result = 0;
};

using TWndMethod = std::function<void(TMessage&)>;
