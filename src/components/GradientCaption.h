// TGradientCaption: takes over the painting of its form's caption bar. The bar becomes a
// horizontal colour gradient (or a solid colour) with the small icon and the caption
// buttons, and the title is drawn in up to three separately styled parts: company,
// application name and caption. The component replaces the form's message procedure and
// hooks the application's window so that it follows a re-creation of the form's window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/Canvas.h"
#include "framework/Classes.h"
#include "framework/Forms.h"
#include "framework/Messages.h"

enum class TGradEnabled : uint8_t { geAlways, geNever, geWhenActive, geSmart };
enum class TJustification : uint8_t { jAuto, jLeft, jCenter, jRight };
enum class TFontKind : uint8_t {
    fkCustom,
    fkSystem,
    fkSystemI,
    fkSystemB,
    fkSystemBI,
    fkAutoHeight
};

// Custom drawing on the off-screen bar before the title; R is the title area, and the
// title is laid out in what the handler leaves of it.
using TOnDrawCaption = std::function<void(TObject* Sender, TCanvas& Canvas, TRect& R)>;

// The caption buttons a bar shows.
enum TCaptionButton : unsigned { cbClose = 1, cbMinimize = 2, cbMaximize = 4, cbHelp = 8 };
using TCaptionButtons = unsigned;

// The private message that carries the hook over a re-creation of the form's window.
constexpr unsigned WM_GRADIENT_REHOOK = 0x498C;

class TGradientCaption;

// One part of the title.
class TCompanyText : public TObject {
  public:
    explicit TCompanyText(TGradientCaption* owner);
    ~TCompanyText() override;

    virtual std::string Caption() const { return caption_; }
    virtual void SetCaption(const std::string& caption);
    TColor ColorActive() const { return colorActive_; }
    void SetColorActive(TColor c) { colorActive_ = c; }
    TColor ColorInactive() const { return colorInactive_; }
    void SetColorInactive(TColor c) { colorInactive_ = c; }
    // The font's own colour is never used: the part's colours decide.
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font);
    TFontKind FontKind() const { return fontKind_; }
    void SetFontKind(TFontKind kind);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    TGradientCaption* Owner() const { return owner_; }
    // The text as stored, without the derivation the caption part applies on reading.
    const std::string& StoredCaption() const { return caption_; }

  protected:
    TGradientCaption* owner_;
    std::string caption_;

  private:
    friend class TGradientCaption;
    TColor colorActive_ = clCaptionText;
    TColor colorInactive_ = clInactiveCaptionText;
    TFont font_;
    TFontKind fontKind_ = TFontKind::fkSystem;
    bool visible_ = true;
};

class TAppNameText : public TCompanyText {
  public:
    using TCompanyText::TCompanyText;
};

// The caption part reads its text back from the form's caption, less the company and
// application-name parts that were composed into it.
class TCaptionText : public TCompanyText {
  public:
    using TCompanyText::TCompanyText;
    std::string Caption() const override;
};

class TGradientCaption : public TComponent {
  public:
    // The owner must be a form.
    explicit TGradientCaption(TComponent* owner);
    ~TGradientCaption() override;

    TAppNameText* AppNameText() const { return appNameText_.get(); }
    TCaptionText* CaptionText() const { return captionText_.get(); }
    TCompanyText* CompanyText() const { return companyText_.get(); }
    TColor ColorLeftActive() const { return colorLeftActive_; }
    void SetColorLeftActive(TColor c) { colorLeftActive_ = c; }
    TColor ColorLeftInActive() const { return colorLeftInActive_; }
    void SetColorLeftInActive(TColor c) { colorLeftInActive_ = c; }
    TColor ColorRightActive() const { return colorRightActive_; }
    void SetColorRightActive(TColor c) { colorRightActive_ = c; }
    TColor ColorRightInActive() const { return colorRightInActive_; }
    void SetColorRightInActive(TColor c) { colorRightInActive_ = c; }
    TGradEnabled Enabled() const { return enabled_; }
    void SetEnabled(TGradEnabled e) { enabled_ = e; }
    TJustification Justification() const { return justification_; }
    void SetJustification(TJustification j) { justification_ = j; }
    // 1..256 bands: larger values are clamped, smaller ones ignored.
    int NumColors() const { return numColors_; }
    void SetNumColors(int n);

    TOnDrawCaption OnDrawCaption;

    TForm* Form() const { return form_; }
    const TFont& SystemFont() const { return systemFont_; }
    bool Hooked() const { return hooked_; }

    // Geometry of the bar, in window coordinates.
    TRect GetBarRect() const;
    TCaptionButtons VisibleButtons() const;
    void SubtractButtons(TRect& r) const;
    TRect GetTextRect() const;
    bool IsCaptionActive() const;
    // Paints the bar into the form's window; returns the rectangle painted (empty: none).
    TRect DrawCaptionBar(bool active);

  protected:
    void Loaded() override;

  private:
    friend class TCompanyText;

    void HookForm();
    void UnhookForm();
    void FormWndProc(TMessage& m);
    bool AppHook(TMessage& m);
    void NonClientPaint(TMessage& m);
    void NonClientActivate(TMessage& m);
    bool SetSizingCursor(int hitTest);

    static void FillSolid(TCanvas& c, const TRect& r, TColor color);
    void FillGradient(TCanvas& c, const TRect& r, TColor left, TColor right) const;
    void DrawSmallIcon(TCanvas& c, TRect& t) const;
    void DrawButtons(TCanvas& c) const;
    static int MeasurePart(TCanvas& c, const TCompanyText& part);
    static void DrawPart(TCanvas& c, TRect& t, bool active, const TCompanyText& part);
    void DrawTitle(TCanvas& c, TRect t, bool active);
    bool UseGradient(bool active) const;

    static void LoadCaptionFont(TFont& font);
    void ApplyFontKind(TCompanyText& part, TFontKind kind);
    void FitHeight(TFont& font) const;
    void ComposeCaption();
    void RedrawFrame();

    TForm* form_ = nullptr;
    uintptr_t FormHandle = 0;
    TFont systemFont_;
    TWndMethod OldWndProc;
    TWndMethod NewWndProc;
    int appHookId_ = 0;
    bool hooked_ = false;
    bool rehooking_ = false;
    bool active_ = true;
    bool activeKnown_ = false;

    std::unique_ptr<TCompanyText> companyText_;
    std::unique_ptr<TAppNameText> appNameText_;
    std::unique_ptr<TCaptionText> captionText_;
    TColor colorLeftActive_ = clBlack;
    TColor colorLeftInActive_ = clBlack;
    TColor colorRightActive_ = clActiveCaption;
    TColor colorRightInActive_ = clInactiveCaption;
    TGradEnabled enabled_ = TGradEnabled::geSmart;
    TJustification justification_ = TJustification::jAuto;
    int numColors_ = 64;
};
