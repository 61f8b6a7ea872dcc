#include "framework/WindowOwner_p.h"

#include <xcb/xcb.h>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
    xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(reply);
    return atom;
}

// The toolkit sets the modal state only on windows whose input it blocks itself, and the
// framework keeps input rules of its own: the states go onto the withdrawn window here, and
// the toolkit adds its own to them when it maps the window.
void setStates(QWidget* window, bool owned, bool modal) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* c = x11->connection();
    auto w = static_cast<xcb_window_t>(window->winId());
    std::vector<xcb_atom_t> states;
    if (owned) states.push_back(internAtom(c, "_NET_WM_STATE_SKIP_TASKBAR"));
    if (modal) states.push_back(internAtom(c, "_NET_WM_STATE_MODAL"));
    xcb_atom_t property = internAtom(c, "_NET_WM_STATE");
    if (states.empty())
        xcb_delete_property(c, w, property);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, property, XCB_ATOM_ATOM, 32,
                            static_cast<uint32_t>(states.size()), states.data());
    xcb_flush(c);
}

}  // namespace

void SetWindowOwner(QWidget* window, QWidget* owner, bool modal) {
    // A dialog's type makes the toolkit write the transient-for hint when it maps the window.
    Qt::WindowType type = owner ? Qt::Dialog : Qt::Window;
    if (window->windowType() != type) window->setWindowFlags(type | Qt::FramelessWindowHint);
    window->winId();
    if (QWindow* handle = window->windowHandle())
        handle->setTransientParent(owner ? owner->windowHandle() : nullptr);
    setStates(window, owner != nullptr, owner && modal);
}
