#include "components/GradientCaption.h"

#include <QImage>
#include <QRegion>
#include <algorithm>

#include "framework/Application.h"
#include "framework/SysMetrics.h"
#include "framework/SysUtils.h"
#include "framework/WindowFrame.h"

namespace {

// The platform's default application icon: a small window with a title bar.
QImage defaultApplicationIcon(qreal ratio) {
    QImage icon = MakeImage(16, 16, ratio, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    TCanvas c(&icon);
    c.Brush() = {clBlack, TBrushStyle::bsSolid};
    c.FrameRect({1, 2, 15, 14});
    c.Brush().Color = clNavy;
    c.FillRect({2, 3, 14, 5});
    c.Brush().Color = clWhite;
    c.FillRect({2, 5, 14, 13});
    return icon;
}

}  // namespace

// ---- Text parts ----------------------------------------------------------------------------

TCompanyText::TCompanyText(TGradientCaption* owner) : owner_(owner) {
    if (owner_) font_ = owner_->SystemFont();
}

TCompanyText::~TCompanyText() = default;

void TCompanyText::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (owner_) owner_->ComposeCaption();
}

void TCompanyText::SetFont(const TFont& font) {
    font_ = font;
    if (fontKind_ == TFontKind::fkAutoHeight) {
        if (owner_) owner_->FitHeight(font_);
    } else {
        fontKind_ = TFontKind::fkCustom;
    }
}

void TCompanyText::SetFontKind(TFontKind kind) {
    if (owner_)
        owner_->ApplyFontKind(*this, kind);
    else
        fontKind_ = kind;
}

void TCompanyText::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (owner_) owner_->ComposeCaption();
}

std::string TCaptionText::Caption() const {
    TForm* form = owner_ ? owner_->Form() : nullptr;
    if (!form) return {};
    std::string s = form->Caption();
    // Take away what the company and application-name parts put in front.
    const TCompanyText* parts[] = {owner_->CompanyText(), owner_->AppNameText()};
    for (const TCompanyText* part : parts) {
        if (!part || !part->Visible()) continue;
        const std::string& text = part->StoredCaption();
        if (!text.empty()) {
            size_t at = s.find(text);
            if (at != std::string::npos) s.erase(0, at + text.size());
        }
        if (!s.empty() && s.front() == ' ') s.erase(0, 1);
    }
    return s;
}

// ---- Life ------------------------------------------------------------------------------------

TGradientCaption::TGradientCaption(TComponent* owner) : TComponent(owner) {
    form_ = dynamic_cast<TForm*>(owner);
    if (!form_) throw EInvalidCast("Invalid class typecast");
    FormHandle = form_->Handle();
    LoadCaptionFont(systemFont_);
    companyText_ = std::make_unique<TCompanyText>(this);
    appNameText_ = std::make_unique<TAppNameText>(this);
    captionText_ = std::make_unique<TCaptionText>(this);
    HookForm();
}

TGradientCaption::~TGradientCaption() {
    Destroying();
    UnhookForm();
    // A re-hook still under way keeps the application hook; it must not outlive us.
    if (appHookId_ && Application) Application->UnhookMainWindow(appHookId_);
    appHookId_ = 0;
    if (!form_->IsDestroying()) {
        form_->SetCaption(captionText_->Caption());
        RedrawFrame();
    }
}

void TGradientCaption::Loaded() {
    TComponent::Loaded();
    if (form_->Handle() != FormHandle) {
        UnhookForm();
        HookForm();
    }
}

void TGradientCaption::SetNumColors(int n) {
    if (n < 1) return;
    n = std::min(n, 256);
    if (n != numColors_) numColors_ = n;
}

// ---- Message interception ----------------------------------------------------------------

void TGradientCaption::HookForm() {
    if (hooked_) UnhookForm();
    FormHandle = form_->Handle();
    OldWndProc = form_->WindowProc;
    // The thunk touches nothing of its own after the call: unhooking from inside a message
    // replaces it while it runs.
    NewWndProc = [self = this](TMessage& m) { self->FormWndProc(m); };
    form_->WindowProc = NewWndProc;
    if (!rehooking_ && !appHookId_ && Application)
        appHookId_ = Application->HookMainWindow([this](TMessage& m) { return AppHook(m); });
    rehooking_ = false;
    hooked_ = true;
}

void TGradientCaption::UnhookForm() {
    if (!hooked_) return;
    if (!rehooking_ && appHookId_ && Application) {
        Application->UnhookMainWindow(appHookId_);
        appHookId_ = 0;
    }
    form_->WindowProc = OldWndProc;
    NewWndProc = nullptr;
    hooked_ = false;
}

void TGradientCaption::FormWndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_NCPAINT:
            NonClientPaint(m);
            return;
        case WM_NCACTIVATE:
            NonClientActivate(m);
            return;
        case WM_SETCURSOR:
            if (SetSizingCursor(static_cast<int>(m.LParam & 0xFFFF))) {
                m.Result = 1;
                return;
            }
            break;
        case WM_DESTROY:
            // The window goes but the form stays: hook its next window once it exists.
            if (!IsDestroying()) {
                rehooking_ = true;
                UnhookForm();
                if (Application)
                    Application->PostMessage(WM_GRADIENT_REHOOK, 0,
                                             reinterpret_cast<intptr_t>(this));
            }
            break;
        default:
            break;
    }
    if (OldWndProc) OldWndProc(m);
    switch (m.Msg) {
        case WM_SETICON:
            DrawCaptionBar(IsCaptionActive());
            break;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
        case WM_DISPLAYCHANGE:
            LoadCaptionFont(systemFont_);
            ApplyFontKind(*appNameText_, appNameText_->FontKind());
            ApplyFontKind(*captionText_, captionText_->FontKind());
            ApplyFontKind(*companyText_, companyText_->FontKind());
            RedrawFrame();
            break;
        default:
            break;
    }
}

bool TGradientCaption::AppHook(TMessage& m) {
    if (m.Msg == WM_GRADIENT_REHOOK && m.LParam == reinterpret_cast<intptr_t>(this)) {
        HookForm();
        TForm* activeForm = Application ? Application->ActiveForm() : nullptr;
        if (activeForm && activeForm->Handle() == FormHandle) active_ = true;
        RedrawFrame();
    }
    return false;
}

bool TGradientCaption::SetSizingCursor(int hitTest) {
    TCursor cursor;
    switch (hitTest) {
        case HTLEFT:
        case HTRIGHT:
            cursor = TCursor::crSizeWE;
            break;
        case HTTOP:
        case HTBOTTOM:
            cursor = TCursor::crSizeNS;
            break;
        case HTTOPLEFT:
        case HTBOTTOMRIGHT:
            cursor = TCursor::crSizeNWSE;
            break;
        case HTTOPRIGHT:
        case HTBOTTOMLEFT:
            cursor = TCursor::crSizeNESW;
            break;
        default:
            return false;
    }
    form_->SetCursor(cursor);
    return true;
}

void TGradientCaption::NonClientPaint(TMessage& m) {
    TRect bar = DrawCaptionBar(IsCaptionActive());
    // The default procedure paints the rest of the frame, everything but our bar.
    QRegion region = m.WParam == NCPAINT_WHOLE_FRAME || m.WParam == 0
                         ? QRegion(0, 0, form_->WindowWidth(), form_->WindowHeight())
                         : *reinterpret_cast<const QRegion*>(m.WParam);
    if (!bar.IsEmpty()) region -= QRegion(bar.ToQRect());
    TMessage pass{m.Msg, reinterpret_cast<uintptr_t>(&region), m.LParam, 0};
    if (OldWndProc) OldWndProc(pass);
    m.Result = pass.Result;
}

void TGradientCaption::NonClientActivate(TMessage& m) {
    active_ = m.WParam != 0;
    activeKnown_ = true;
    // Only an MDI child lets the default procedure see the activation; for any other form
    // it would paint its plain caption over ours. (An MDI parent would also pass the
    // activation on to its active child; the framework has no MDI children to pass it to.)
    if (form_->FormStyle() == TFormStyle::fsMDIChild && OldWndProc) OldWndProc(m);
    RedrawFrame();
    m.Result = 1;
}

bool TGradientCaption::IsCaptionActive() const {
    if (activeKnown_) return active_;
    // An MDI child is active when it is its main form's active child; the framework has no
    // MDI client, so none ever is.
    if (form_->FormStyle() == TFormStyle::fsMDIChild) return false;
    TForm* activeForm = Application ? Application->ActiveForm() : nullptr;
    return activeForm && activeForm->Handle() == FormHandle;
}

void TGradientCaption::RedrawFrame() {
    form_->RedrawFrame();
}

// ---- Geometry ------------------------------------------------------------------------------

// The bar and its buttons are where the form hit-tests them.
TRect TGradientCaption::GetBarRect() const {
    return form_->CaptionBarRect();
}

TCaptionButtons TGradientCaption::VisibleButtons() const {
    TCaptionButtons buttons = 0;
    if (!form_->CaptionButtonRect(HTCLOSE).IsEmpty()) buttons |= cbClose;
    if (!form_->CaptionButtonRect(HTMINBUTTON).IsEmpty()) buttons |= cbMinimize;
    if (!form_->CaptionButtonRect(HTMAXBUTTON).IsEmpty()) buttons |= cbMaximize;
    if (!form_->CaptionButtonRect(HTHELP).IsEmpty()) buttons |= cbHelp;
    return buttons;
}

void TGradientCaption::SubtractButtons(TRect& r) const {
    r.Right -= form_->Frame().ButtonSpace();
}

TRect TGradientCaption::GetTextRect() const {
    TRect r = GetBarRect();
    SubtractButtons(r);
    if (r.Left >= r.Right) r.Right = r.Left + 2;
    return r;
}

// ---- Painting ------------------------------------------------------------------------------

bool TGradientCaption::UseGradient(bool active) const {
    switch (enabled_) {
        case TGradEnabled::geAlways:
            return true;
        case TGradEnabled::geNever:
            return false;
        case TGradEnabled::geWhenActive:
            return active;
        case TGradEnabled::geSmart:
            break;
    }
    // On a 256-colour screen only the active bar gets the gradient.
    int depth = ScreenColorDepth();
    return active ? depth >= 8 : depth > 8;
}

TRect TGradientCaption::DrawCaptionBar(bool active) {
    if (form_->BorderStyle() == TFormBorderStyle::bsNone) return {};
    TCanvas& window = form_->WindowCanvas();
    if (!window.HasTarget()) return {};
    TRect t = GetTextRect();
    TRect bar = GetBarRect();
    if (bar.Right <= 0 || bar.Bottom <= 0) return {};
    // The off-screen bar reaches from the window's corner, so window coordinates hold.
    QImage memory = window.NewImage(bar.Right, bar.Bottom);
    if (memory.isNull()) return {};
    TCanvas c(&memory);

    TColor sysColor = ColorToRGB(active ? clActiveCaption : clInactiveCaption);
    TColor right = ColorToRGB(active ? colorRightActive_ : colorRightInActive_);
    TColor left = ColorToRGB(active ? colorLeftActive_ : colorLeftInActive_);
    bool gradient = UseGradient(active);
    // The button area keeps this colour: the gradient's right end.
    FillSolid(c, bar, gradient ? right : sysColor);
    if (gradient)
        FillGradient(c, t, left, right);
    else
        FillSolid(c, t, sysColor);

    if (!form_->Frame().CaptionIcon().IsEmpty()) DrawSmallIcon(c, t);
    DrawButtons(c);
    if (OnDrawCaption) {
        TCanvas handlerCanvas(&memory);
        handlerCanvas.SetFont(systemFont_);
        OnDrawCaption(this, handlerCanvas, t);
    }
    captionText_->caption_ = captionText_->Caption();
    DrawTitle(c, t, active);

    window.CopyRect(bar, memory, bar);
    return bar;
}

void TGradientCaption::FillSolid(TCanvas& c, const TRect& r, TColor color) {
    c.Brush() = {color, TBrushStyle::bsSolid};
    c.FillRect(r);
}

void TGradientCaption::FillGradient(TCanvas& c, const TRect& r, TColor left, TColor right) const {
    int n = numColors_;
    // The bands divide the bar's device pixels, so their edges are as fine as the screen's.
    const TRect d = c.ToDevice(r);
    int w = d.Width();
    int r0 = GetRValue(left), g0 = GetGValue(left), b0 = GetBValue(left);
    int r1 = GetRValue(right), g1 = GetGValue(right), b1 = GetBValue(right);
    for (int i = 0; i < n; ++i) {
        int x1 = d.Left + MulDiv(i, w, n);
        int x2 = d.Left + MulDiv(i + 1, w, n);
        TColor color = left;
        if (n > 1)
            color = RGB(r0 + MulDiv(i, r1 - r0, n - 1), g0 + MulDiv(i, g1 - g0, n - 1),
                        b0 + MulDiv(i, b1 - b0, n - 1));
        c.Brush() = {color, TBrushStyle::bsSolid};
        c.FillDeviceRect({x1, d.Top, x2, d.Bottom});
    }
}

void TGradientCaption::DrawSmallIcon(TCanvas& c, TRect& t) const {
    QImage icon = form_->Icon();
    if (icon.isNull() && Application) icon = Application->Icon();
    if (icon.isNull()) icon = defaultApplicationIcon(c.Ratio());
    const TWindowFrame frame = form_->Frame();
    DrawCaptionIcon(c, frame, icon);
    t.Left = frame.CaptionText().Left;
}

void TGradientCaption::DrawButtons(TCanvas& c) const {
    DrawCaptionButtons(c, form_->Frame());
}

int TGradientCaption::MeasurePart(TCanvas& c, const TCompanyText& part) {
    c.SetFont(part.Font());
    return c.TextWidth(part.StoredCaption()) + 3;
}

void TGradientCaption::DrawPart(TCanvas& c, TRect& t, bool active, const TCompanyText& part) {
    t.Left += 3;
    TFont savedFont = c.Font();
    TBrushStyle savedStyle = c.Brush().Style;
    TFont font = part.Font();
    font.SetColor(active ? part.ColorActive() : part.ColorInactive());
    c.SetFont(font);
    c.Brush().Style = TBrushStyle::bsClear;
    // A title shows "&" as it is.
    TRect extent = t;
    c.DrawText(part.StoredCaption(), extent, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    TRect r = t;
    c.DrawText(part.StoredCaption(), r, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    t.Left = extent.Right;
    c.SetFont(savedFont);
    c.Brush().Style = savedStyle;
}

void TGradientCaption::DrawTitle(TCanvas& c, TRect t, bool active) {
    const TCompanyText& company = *companyText_;
    const TCompanyText& app = *appNameText_;
    const TCompanyText& caption = *captionText_;
    // A visible part counts even with an empty text.
    auto m = [&](const TCompanyText& part) { return part.Visible() ? MeasurePart(c, part) : 0; };
    int width = t.Width();
    int total = m(company) + m(app) + m(caption);
    bool showCompany = total < width;
    bool showApp = true;
    if (!showCompany) {
        total = m(app) + m(caption);
        showApp = total < width;
    }
    if (!showApp) total = MeasurePart(c, caption);

    switch (justification_) {
        case TJustification::jAuto:
        case TJustification::jLeft:
            break;
        case TJustification::jCenter:
            if (total < width) t.Left += (width - total) / 2;
            break;
        case TJustification::jRight:
            if (total < width) t.Left += width - total;
            break;
    }
    if (showCompany && !company.StoredCaption().empty() && company.Visible())
        DrawPart(c, t, active, company);
    if (showApp && !app.StoredCaption().empty() && app.Visible()) DrawPart(c, t, active, app);
    // The caption part is drawn even when it does not fit: then it ends in an ellipsis.
    if (caption.Visible()) DrawPart(c, t, active, caption);
}

// ---- Fonts and the window caption ------------------------------------------------------------

void TGradientCaption::LoadCaptionFont(TFont& font) {
    font = StockSystemFont();
    TFont caption;
    if (!GetCaptionFont(caption)) return;
    font.SetName(caption.Name());
    int h = caption.Height();
    if (h > 0)
        font.SetSize(h);
    else
        font.SetHeight(h);
    TFontStyles style = 0;
    if (caption.Style() & fsItalic) style |= fsItalic;
    if (caption.Style() & fsBold) style |= fsBold;
    font.SetStyle(style);
    font.SetPitch(TFontPitch::fpDefault);
}

void TGradientCaption::ApplyFontKind(TCompanyText& part, TFontKind kind) {
    part.fontKind_ = kind;
    TFontStyles extra = 0;
    switch (kind) {
        case TFontKind::fkCustom:
            return;
        case TFontKind::fkAutoHeight:
            FitHeight(part.font_);
            return;
        case TFontKind::fkSystem:
            break;
        case TFontKind::fkSystemI:
            extra = fsItalic;
            break;
        case TFontKind::fkSystemB:
            extra = fsBold;
            break;
        case TFontKind::fkSystemBI:
            extra = fsBold | fsItalic;
            break;
    }
    part.font_ = systemFont_;
    if (extra) part.font_.SetStyle(systemFont_.Style() | extra);
}

void TGradientCaption::FitHeight(TFont& font) const {
    QImage scratch(10, 10, QImage::Format_RGB32);
    TCanvas c(&scratch);
    // Character height: the cell less its internal leading.
    auto charHeight = [&](const TFont& f) {
        c.SetFont(f);
        TTextMetric tm = c.TextMetrics();
        return tm.Height - tm.InternalLeading;
    };
    int h1 = charHeight(font);
    int h2 = charHeight(systemFont_);
    // A negative height is a character height, a positive one a cell height: shrinking
    // the letters moves them in opposite directions.
    if (font.Height() == 0) font.SetHeight(-h1);
    auto shrinkBy = [&](int d) {
        font.SetHeight(font.Height() < 0 ? font.Height() + d : font.Height() - d);
    };
    shrinkBy(h1 - h2);
    int h3 = charHeight(font);
    if (h3 > h2) shrinkBy(h3 - h2);
}

void TGradientCaption::ComposeCaption() {
    // No redraw suspension is needed around the caption change: the frame repaint it causes
    // comes through our own message procedure and paints our bar.
    const TCompanyText& company = *companyText_;
    const TCompanyText& app = *appNameText_;
    const TCompanyText& caption = *captionText_;
    std::string s;
    if (company.Visible()) {
        s += company.caption_;
        if (!company.caption_.empty() && (app.Visible() || caption.Visible())) s += ' ';
    }
    if (app.Visible()) {
        s += app.caption_;
        if (!app.caption_.empty() && caption.Visible()) s += ' ';
    }
    if (caption.Visible()) s += caption.caption_;
    form_->SetCaption(s);
}
