// Accessibility: what assistive technology (a screen reader, through the toolkit's bridge to
// the desktop's accessibility bus) learns of the framework's windows and controls. Each
// control describes itself in a TAccessibleInfo (TControl::DescribeAccessible); this unit
// turns that into the toolkit's accessibility interfaces and tells the toolkit of changes.
// Nothing here paints or changes what the screen shows.
#pragma once

#include <string>
#include <vector>

class TControl;

enum class TAccessibleRole {
    Client,  // a plain area, nothing to tell
    Window,
    Dialog,
    Alert,  // a message box
    PushButton,
    StaticText,
    Graphic,
    ProgressBar,
    ComboBox,
    List,
    EditableText,
};

// A control as a screen reader sees it.
struct TAccessibleInfo {
    TAccessibleRole Role = TAccessibleRole::Client;
    // Empty: a label standing before the control names it, else its hint, else the hint of
    // the control it lies on, else its window's caption when it covers the whole window.
    std::string Name;
    std::string Description;
    // The keys that press it ("Alt+I").
    std::string Shortcut;
    // The control's text as read character by character (static texts, gauges).
    std::string Text;
    bool Pressable = false;
    bool HasValue = false;
    int Value = 0, Minimum = 0, Maximum = 0;
    // The entries of a list or drop-down list, and the selected one.
    std::vector<std::string> Items;
    int ItemIndex = -1;
};

namespace accessibility {

// What changed about a control, for the screen reader to hear of.
enum class TChange { Name, Value, State, Items };

// Installs the toolkit factory for the framework's controls (once; the application does).
void Install();
// The control's description with the name rules above applied.
TAccessibleInfo Describe(const TControl* control);
// Tells the screen reader; costs nothing while none listens.
void Changed(const TControl* control, TChange what);
// Announces a window that opens with a message (its text read at once).
void Announce(const TControl* window);

// A caption as read aloud: "&" marks dropped, "&&" read as "&", a trailing dot leader
// ("Space free   .......") left out.
std::string SpokenCaption(const std::string& caption, bool accelChars = true);
// "Alt+I" for a caption with "&I", else "".
std::string AltShortcut(const std::string& caption);

}  // namespace accessibility
