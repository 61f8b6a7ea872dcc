// Message dialogs, built as framework forms: centred, modal, with a caption, an icon, the
// text and push buttons. Enter presses the first button, Escape the Cancel button (or the
// only one). Tests answer them through seams::DialogScope (framework/Seams.h).
#pragma once

#include <functional>
#include <string>
#include <vector>

class TForm;

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbIgnore = 64,
};
using TMsgDlgButtons = unsigned;

// Message box flags (buttons and icon) and results.
enum MessageBoxFlag : unsigned {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

enum class TDialogIcon { None, Stop, Question, Warning, Information };

// What a dialog shows.
struct TDialogInfo {
    std::string Caption;
    std::string Text;
    TDialogIcon Icon = TDialogIcon::None;
    std::vector<std::string> Buttons;  // captions, left to right
    std::vector<int> Results;          // the modal result of each button
    TForm* Form = nullptr;             // the dialog window itself
};

// Shows a dialog of a type (caption "Warning", "Error", "Information", "Confirm", or the
// application title for mtCustom); returns the modal result of the button pressed.
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
// The plain message box with a caption of the caller's choice; returns IDOK, IDCANCEL...
int MessageBox(const std::string& text, const std::string& caption, unsigned flags);
