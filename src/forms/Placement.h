// A window's stored layout, kept as data: where each control stands in client pixels.
#pragma once

#include "framework/Forms.h"

struct Placement {
    int Left, Top, Width, Height;
};

// Puts a new control on the form at its stored place.
template <class T>
T* place(TForm* form, T* control, const Placement& p) {
    control->SetBounds(p.Left, p.Top, p.Width, p.Height);
    control->SetParent(form);
    return control;
}
