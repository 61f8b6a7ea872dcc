#include "framework/Dialogs.h"

#include <QTimer>
#include <algorithm>
#include <memory>

#include "framework/Accessibility.h"
#include "framework/Buttons.h"
#include "framework/Controls_p.h"
#include "framework/Forms.h"
#include "framework/Messages.h"
#include "framework/SeamHooks_p.h"
#include "framework/StdCtrls.h"

std::function<int(const TDialogInfo&)>& seams::hooks::DialogHook() {
    static std::function<int(const TDialogInfo&)> responder;
    return responder;
}

namespace {

// The icon of a message dialog, drawn in the platform's manner at 32 x 32.
class TDialogIconView : public TGraphicControl {
  public:
    TDialogIconView(TComponent* owner, TDialogIcon icon) : TGraphicControl(owner), icon_(icon) {
        SetBounds(0, 0, 32, 32);
    }
    void DescribeAccessible(TAccessibleInfo& info) const override {
        TGraphicControl::DescribeAccessible(info);
        info.Role = TAccessibleRole::Graphic;
    }

  protected:
    void Paint() override {
        TCanvas& c = Canvas();
        auto letter = [&](const char* text, TColor color) {
            c.Font().SetName("Times New Roman");
            c.Font().SetHeight(-22);
            c.Font().SetStyle(fsBold);
            c.Font().SetColor(color);
            c.Brush().Style = TBrushStyle::bsClear;
            TRect r{0, 2, 32, 32};
            c.DrawText(text, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
        };
        c.Pen().Color = clBlack;
        switch (icon_) {
            case TDialogIcon::Stop:
                c.Brush() = {clRed, TBrushStyle::bsSolid};
                c.Ellipse(0, 0, 32, 32);
                c.Pen().Color = clWhite;
                for (int k = 0; k < 3; ++k) {
                    c.MoveTo(9 + k, 9);
                    c.LineTo(22 + k, 23);
                    c.MoveTo(22 + k, 9);
                    c.LineTo(9 + k, 23);
                }
                break;
            case TDialogIcon::Warning: {
                c.Brush() = {clYellow, TBrushStyle::bsSolid};
                for (int y = 2; y < 30; ++y) {
                    int half = (y - 2) / 2 + 1;
                    c.Pen().Color = clYellow;
                    c.MoveTo(16 - half, y);
                    c.LineTo(16 + half, y);
                }
                c.Pen().Color = clBlack;
                c.MoveTo(2, 30);
                c.LineTo(16, 2);
                c.LineTo(30, 30);
                c.LineTo(2, 30);
                letter("!", clBlack);
                break;
            }
            case TDialogIcon::Information:
                c.Brush() = {clWhite, TBrushStyle::bsSolid};
                c.Ellipse(0, 0, 32, 32);
                letter("i", clBlue);
                break;
            case TDialogIcon::Question:
                c.Brush() = {clWhite, TBrushStyle::bsSolid};
                c.Ellipse(0, 0, 32, 32);
                letter("?", clBlue);
                break;
            case TDialogIcon::None:
                break;
        }
    }

  private:
    TDialogIcon icon_;
};

// Where the parts of a message dialog go, in client pixels: the icon at the top left, the
// text beside it wrapped at a fixed width, and the buttons centred in a row below both.
struct MessageDialogLayout {
    int margin;            // from the client edges to icon, text and buttons
    int iconSize;          // the icon is square
    int textLeftWithIcon;  // where the text starts when an icon stands before it
    int wrapWidth;         // the text wraps at this width
    int lineHeight;        // the text's least height
    int textToButtons;     // from the lower of text and icon to the buttons
    int buttonWidth, buttonHeight, buttonGap;
    int minClientWidth;
};
constexpr MessageDialogLayout kMessageLayout{12, 32, 56, 360, 13, 16, 75, 25, 8, 150};

class TMessageForm : public TForm {
  public:
    TMessageForm(const TDialogInfo& info) : TForm(nullptr), info_(info) {
        const MessageDialogLayout& L = kMessageLayout;
        SetBorderStyle(TFormBorderStyle::bsDialog);
        SetBorderIcons(biSystemMenu);
        SetCaption(info.Caption);
        bool hasIcon = info.Icon != TDialogIcon::None;
        int textLeft = hasIcon ? L.textLeftWithIcon : L.margin;
        if (hasIcon) {
            auto* icon = new TDialogIconView(this, info.Icon);
            icon->SetBounds(L.margin, L.margin, L.iconSize, L.iconSize);
            icon->SetParent(this);
        }
        auto* label = new TLabel(this);
        label->SetWordWrap(true);
        label->SetShowAccelChar(false);
        label->Font().SetColor(clWindowText);
        label->SetBounds(textLeft, L.margin, L.wrapWidth, L.lineHeight);
        label->SetCaption(info.Text);
        label->SetParent(this);
        TRect measured{0, 0, L.wrapWidth, 0};
        TCanvas probe;
        probe.SetFont(label->Font());
        probe.DrawText(info.Text, measured, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        label->SetBounds(textLeft, L.margin, std::max(1, measured.Width()),
                         std::max(L.lineHeight, measured.Height()));
        int textBottom =
            std::max(L.margin + measured.Height(), hasIcon ? L.margin + L.iconSize : 0);

        int count = static_cast<int>(info.Buttons.size());
        int buttonsWidth = count * L.buttonWidth + (count - 1) * L.buttonGap;
        int width = std::max(textLeft + measured.Width() + L.margin, buttonsWidth + 2 * L.margin);
        width = std::max(width, L.minClientWidth);
        int top = textBottom + L.textToButtons;
        int left = (width - buttonsWidth) / 2;
        for (int i = 0; i < count; ++i) {
            auto* b = new TSpeedButton(this);
            b->SetCaption(info.Buttons[static_cast<size_t>(i)]);
            b->SetBounds(left + i * (L.buttonWidth + L.buttonGap), top, L.buttonWidth,
                         L.buttonHeight);
            int result = info.Results[static_cast<size_t>(i)];
            b->OnClick = [this, result](TObject*) { SetModalResult(result); };
            b->SetParent(this);
        }
        SetClientSize(width, top + L.buttonHeight + L.margin);
    }

    bool KeyDown(int key, TShiftState shift) override {
        if (key == VK_RETURN && !info_.Results.empty()) {
            SetModalResult(info_.Results.front());
            return true;
        }
        if (key == VK_ESCAPE) {
            auto it = std::find(info_.Results.begin(), info_.Results.end(), mrCancel);
            if (it != info_.Results.end())
                SetModalResult(mrCancel);
            else if (info_.Results.size() == 1)
                SetModalResult(info_.Results.front());
            return true;
        }
        return TForm::KeyDown(key, shift);
    }

    // A message box is an alert, read out with its text when it opens.
    void DescribeAccessible(TAccessibleInfo& info) const override {
        TForm::DescribeAccessible(info);
        info.Role = TAccessibleRole::Alert;
        info.Description = info_.Text;
    }

  protected:
    void DoShow() override {
        TForm::DoShow();
        accessibility::Announce(this);
    }

  private:
    TDialogInfo info_;
};

int runDialog(TDialogInfo info) {
    auto form = std::make_unique<TMessageForm>(info);
    info.Form = form.get();
    if (seams::hooks::DialogHook()) {
        TForm* f = form.get();
        // Answer from inside the dialog's own modal loop, once it is up and active.
        QTimer::singleShot(0, WidgetOf(*f), [info, f] {
            Dispatch([&] {
                const auto& respond = seams::hooks::DialogHook();
                int r = respond ? respond(info) : mrNone;
                if (r != mrNone) f->SetModalResult(r);
            });
        });
    }
    return form->ShowModal();
}

void addButton(TDialogInfo& info, const char* caption, int result) {
    info.Buttons.push_back(caption);
    info.Results.push_back(result);
}

}  // namespace

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
    TDialogInfo info;
    info.Text = text;
    switch (type) {
        case TMsgDlgType::mtWarning:
            info.Caption = "Warning";
            info.Icon = TDialogIcon::Warning;
            break;
        case TMsgDlgType::mtError:
            info.Caption = "Error";
            info.Icon = TDialogIcon::Stop;
            break;
        case TMsgDlgType::mtInformation:
            info.Caption = "Information";
            info.Icon = TDialogIcon::Information;
            break;
        case TMsgDlgType::mtConfirmation:
            info.Caption = "Confirm";
            info.Icon = TDialogIcon::Question;
            break;
        case TMsgDlgType::mtCustom:
            info.Caption = FormHost ? FormHost->Title() : "";
            break;
    }
    if (buttons & mbYes) addButton(info, "&Yes", mrYes);
    if (buttons & mbNo) addButton(info, "&No", mrNo);
    if (buttons & mbOK) addButton(info, "OK", mrOk);
    if (buttons & mbCancel) addButton(info, "Cancel", mrCancel);
    if (buttons & mbAbort) addButton(info, "&Abort", mrAbort);
    if (buttons & mbRetry) addButton(info, "&Retry", mrRetry);
    if (buttons & mbIgnore) addButton(info, "&Ignore", mrIgnore);
    return runDialog(info);
}

int MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    TDialogInfo info;
    info.Text = text;
    info.Caption = caption;
    switch (flags & 0xF0) {
        case MB_ICONSTOP:
            info.Icon = TDialogIcon::Stop;
            break;
        case MB_ICONQUESTION:
            info.Icon = TDialogIcon::Question;
            break;
        case MB_ICONWARNING:
            info.Icon = TDialogIcon::Warning;
            break;
        case MB_ICONINFORMATION:
            info.Icon = TDialogIcon::Information;
            break;
        default:
            break;
    }
    switch (flags & 0x0F) {
        case MB_OKCANCEL:
            addButton(info, "OK", IDOK);
            addButton(info, "Cancel", IDCANCEL);
            break;
        case MB_YESNO:
            addButton(info, "&Yes", IDYES);
            addButton(info, "&No", IDNO);
            break;
        default:
            addButton(info, "OK", IDOK);
            break;
    }
    return runDialog(info);
}
