// Framework-internal: what the window manager is told about a form's window before it is
// mapped. An owned window is a dialog that stays above its owner and shares its task-bar
// entry; a modal one also takes the focus when the owner it disables is clicked. A window
// without an owner is an application window of its own.
#pragma once

class QWidget;

// `window` must be hidden. Owner null: no owner (modal is then ignored).
void SetWindowOwner(QWidget* window, QWidget* owner, bool modal);
