#include "framework/Forms.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <iterator>

#include "framework/Accessibility.h"
#include "framework/Controls_p.h"
#include "framework/Forms_p.h"
#include "framework/FrameControls.h"
#include "framework/Menus.h"
#include "framework/SysMetrics.h"
#include "framework/SysUtils.h"
#include "framework/WindowOwner_p.h"

TFormHost* FormHost = nullptr;

namespace {

// The client area of a form: paints the form's colour unless its brush is clear.
class ClientArea : public ControlWidget {
  public:
    ClientArea(TForm* form, QWidget* parent) : ControlWidget(form, parent), form_(form) {}

  protected:
    void paintEvent(QPaintEvent*) override {
        if (form_->BrushClear()) return;
        QPainter p(this);
        p.fillRect(rect(), ToQColor(form_->Color()));
    }
    void mousePressEvent(QMouseEvent* e) override { e->ignore(); }
    void mouseReleaseEvent(QMouseEvent* e) override { e->ignore(); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { e->ignore(); }

  private:
    TForm* form_;
};

int virtualKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Tab:
            return VK_TAB;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Right:
            return VK_RIGHT;
        default:
            return qtKey;
    }
}

// Keeps input away from forms disabled while another form is modal, and gives Alt+letter
// to the form before the focused control sees it: the letter presses the control whose
// caption underlines it and is never typed.
class InputRouter : public QObject {
  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::Shortcut:
                break;
            default:
                return false;
        }
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w) return false;
        auto* fw = dynamic_cast<FormWindow*>(w->window());
        if (!fw) return false;
        if (!fw->Form()->WindowEnabled()) {
            // A click on a window that takes no input brings forward the one that does.
            if (e->type() == QEvent::MouseButtonPress && FormHost)
                Dispatch([] { FormHost->ActivateInputForm(); });
            return true;
        }
        if (e->type() == QEvent::KeyPress) return mnemonic(fw->Form(), static_cast<QKeyEvent*>(e));
        return false;
    }

  private:
    static bool mnemonic(TForm* form, QKeyEvent* e) {
        Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        if (!(mods & Qt::AltModifier) || (mods & Qt::ControlModifier)) return false;
        if (e->text().isEmpty() || !e->text()[0].isPrint()) return false;
        TShiftState shift = ShiftStateOf(mods, Qt::NoButton);
        Dispatch([&] { form->DialogChar(virtualKeyOf(e->key()), shift); });
        return true;
    }
};

}  // namespace

void InstallFormInputFilter() {
    static InputRouter router;
    qApp->installEventFilter(&router);
}

// ---- TForm --------------------------------------------------------------------------------------

TForm::TForm(TComponent* owner) : TWinControl(owner) {
    accessibility::Install();
    window_ = new FormWindow(this);
    PrivateOf(*this).client = new ClientArea(this, window_);
    SetWidget(*this, window_);
    setVisibleFlag(false);
    SetColor(clBtnFace);
    Font().SetName(kDefaultFontName);
    Font().SetHeight(kDefaultFontHeight);
    Font().SetColor(clWindowText);
    WindowProc = [this](TMessage& m) { WndProc(m); };
    windowCanvas_.SetTarget(&windowSurface_);
    windowCanvas_.OnChanged = [this] {
        if (window_) window_->update();
    };
    if (FormHost) FormHost->formCreated(this);
    layoutWindow();
}

TForm::~TForm() {
    Destroying();
    if (modalLoop_) modalLoop_->exit(0);
    if (FormHost) {
        for (TForm* f : FormHost->Forms())
            if (f->owner_ == this) f->owner_ = nullptr;
        FormHost->formDestroyed(this);
    }
    DestroyComponents();
    PrivateOf(*this) = {};
    delete window_;
    window_ = nullptr;
}

void TForm::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    window_->setWindowTitle(QString::fromStdString(caption_));
    if (HandleAllocated()) RedrawFrame();
    accessibility::Changed(this, accessibility::TChange::Name);
}

void TForm::DescribeAccessible(TAccessibleInfo& info) const {
    TWinControl::DescribeAccessible(info);
    info.Role = Modal() ? TAccessibleRole::Dialog : TAccessibleRole::Window;
    info.Name = caption_;
}

void TForm::SetClientSize(int width, int height) {
    SetBounds(Left(), Top(), width, height);
}

void TForm::SetBorderStyle(TFormBorderStyle style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    layoutWindow();
    // A new frame style needs a new window.
    if (HandleAllocated()) RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons icons) {
    if (icons == borderIcons_) return;
    borderIcons_ = icons;
    if (HandleAllocated()) RedrawFrame();
}

void TForm::SetWindowState(TWindowState s) {
    if (s == windowState_) return;
    windowState_ = s;
    if (s == TWindowState::wsMinimized)
        window_->showMinimized();
    else if (Visible())
        window_->showNormal();
    if (HandleAllocated()) RedrawFrame();
}

void TForm::SetIcon(const QImage& icon) {
    icon_ = icon;
    if (HandleAllocated()) Perform(WM_SETICON, 0, 0);
}

void TForm::SetBrushClear(bool clear) {
    brushClear_ = clear;
    ClientWidgetOf(*this)->update();
}

int TForm::FrameWidth() const {
    return Frame().FrameWidth();
}

int TForm::FrameHeight() const {
    return Frame().FrameHeight();
}

int TForm::CaptionHeight() const {
    return Frame().CaptionHeight();
}

int TForm::WindowWidth() const {
    return Width() + 2 * FrameWidth();
}
int TForm::WindowHeight() const {
    return Height() + 2 * FrameHeight() + CaptionHeight();
}
TPoint TForm::ClientOrigin() const {
    return {FrameWidth(), FrameHeight() + CaptionHeight()};
}

TRect TForm::WindowRect() const {
    QPoint p = window_->pos();
    return {p.x(), p.y(), p.x() + WindowWidth(), p.y() + WindowHeight()};
}

TRect TForm::CaptionBarRect() const {
    return Frame().CaptionBar();
}

TRect TForm::CaptionButtonRect(unsigned hitTest) const {
    return Frame().CaptionButton(hitTest);
}

int TForm::HitTest(int x, int y) const {
    int w = WindowWidth(), h = WindowHeight();
    if (x < 0 || y < 0 || x >= w || y >= h) return HTNOWHERE;
    TPoint o = ClientOrigin();
    if (x >= o.X && y >= o.Y && x < o.X + Width() && y < o.Y + Height()) return HTCLIENT;
    bool sizeable = borderStyle_ == TFormBorderStyle::bsSizeable ||
                    borderStyle_ == TFormBorderStyle::bsSizeToolWin;
    int f = FrameWidth();
    if (sizeable && (x < f || y < f || x >= w - f || y >= h - f)) {
        bool left = x < f, right = x >= w - f, top = y < f, bottom = y >= h - f;
        if (top && left) return HTTOPLEFT;
        if (top && right) return HTTOPRIGHT;
        if (bottom && left) return HTBOTTOMLEFT;
        if (bottom && right) return HTBOTTOMRIGHT;
        if (left) return HTLEFT;
        if (right) return HTRIGHT;
        return top ? HTTOP : HTBOTTOM;
    }
    for (unsigned ht : {HTCLOSE, HTMAXBUTTON, HTMINBUTTON, HTHELP})
        if (CaptionButtonRect(ht).Contains(x, y)) return static_cast<int>(ht);
    if (CaptionBarRect().Contains(x, y)) return HTCAPTION;
    return HTBORDER;
}

void TForm::SetBounds(int left, int top, int width, int height) {
    TControl::SetBounds(left, top, width, height);
    layoutWindow();
}

void TForm::layoutWindow() {
    if (!window_) return;
    int w = WindowWidth(), h = WindowHeight();
    window_->setFixedSize(std::max(1, w), std::max(1, h));
    TPoint o = ClientOrigin();
    ClientWidgetOf(*this)->setGeometry(o.X, o.Y, Width(), Height());
    // The frame and caption are drawn at the screen's own pixels.
    const qreal ratio = window_->devicePixelRatioF();
    w = std::max(1, w);
    h = std::max(1, h);
    if (windowSurface_.width() != DevicePixel(w, ratio) ||
        windowSurface_.height() != DevicePixel(h, ratio) ||
        windowSurface_.devicePixelRatio() != ratio) {
        windowSurface_ = MakeImage(w, h, ratio);
        windowSurface_.fill(ToQColor(clBtnFace));
        windowCanvas_.SetTarget(&windowSurface_);
    }
    if (HandleAllocated()) RedrawFrame();
}

uintptr_t TForm::Handle() {
    HandleNeeded();
    return handle_;
}

void TForm::CreateWnd() {
    handle_ = FormHost ? FormHost->NewHandle() : TFormHost::FirstHandle;
    layoutWindow();
    RedrawFrame();
}

void TForm::RecreateWnd() {
    if (!HandleAllocated()) return;
    Perform(WM_DESTROY);
    DestroyHandleState();
    handle_ = 0;
    HandleNeeded();
}

intptr_t TForm::Perform(unsigned msg, uintptr_t wparam, intptr_t lparam) {
    TMessage m{msg, wparam, lparam, 0};
    if (WindowProc) WindowProc(m);
    return m.Result;
}

void TForm::RedrawFrame() {
    if (HandleAllocated()) Perform(WM_NCPAINT, NCPAINT_WHOLE_FRAME, 0);
}

void TForm::SetCursor(TCursor cursor) {
    if (!window_) return;
    if (cursor == TCursor::crDefault) return window_->unsetCursor();
    // The sizing shapes, in the order of TCursor after crDefault.
    static constexpr Qt::CursorShape kSizing[] = {Qt::SizeHorCursor, Qt::SizeVerCursor,
                                                  Qt::SizeFDiagCursor, Qt::SizeBDiagCursor};
    static_assert(std::size(kSizing) == static_cast<size_t>(TCursor::crSizeNESW));
    window_->setCursor(kSizing[static_cast<int>(cursor) - 1]);
}

void TForm::WndProc(TMessage& m) {
    switch (m.Msg) {
        case WM_NCPAINT:
            PaintNonClient(m.WParam == NCPAINT_WHOLE_FRAME ? nullptr
                                                           : reinterpret_cast<QRegion*>(m.WParam));
            m.Result = 0;
            break;
        case WM_NCACTIVATE:
            captionActive_ = m.WParam != 0;
            PaintNonClient(nullptr);
            m.Result = 1;
            break;
        case WM_SETCURSOR:
            SetCursor(TCursor::crDefault);
            m.Result = 0;
            break;
        case WM_NCHITTEST:
            m.Result = HitTest(static_cast<int16_t>(m.LParam & 0xFFFF),
                               static_cast<int16_t>((m.LParam >> 16) & 0xFFFF));
            break;
        case WM_SETICON:
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
        case WM_DISPLAYCHANGE:
            PaintNonClient(nullptr);
            break;
        default:
            break;
    }
}

void TForm::PaintNonClient(const QRegion* clip) {
    if (borderStyle_ == TFormBorderStyle::bsNone) return;
    QImage frame = windowSurface_.copy();
    TCanvas c(&frame);
    int w = WindowWidth(), h = WindowHeight();
    TRect edge{0, 0, w, h};
    Frame3D(c, edge, cl3DLight, cl3DDkShadow, 1);
    Frame3D(c, edge, clBtnHighlight, clBtnShadow, 1);
    Frame3D(c, edge, clBtnFace, clBtnFace, FrameWidth() - 2);
    // The line between caption and client area.
    TRect bar = CaptionBarRect();
    c.Brush() = {clBtnFace, TBrushStyle::bsSolid};
    c.FillRect({bar.Left, bar.Bottom, bar.Right, bar.Bottom + 1});
    PaintCaptionBar(c, captionActive_);

    QPainter p(&windowSurface_);
    if (clip) p.setClipRegion(*clip);
    p.drawImage(0, 0, frame);
    p.end();
    if (window_) window_->update();
}

void TForm::PaintCaptionBar(TCanvas& c, bool active) {
    const TWindowFrame frame = Frame();
    TRect bar = frame.CaptionBar();
    if (bar.IsEmpty()) return;
    c.Brush() = {active ? clActiveCaption : clInactiveCaption, TBrushStyle::bsSolid};
    c.FillRect(bar);
    DrawCaptionIcon(c, frame, !icon_.isNull() ? icon_ : (FormHost ? FormHost->Icon() : icon_));
    DrawCaptionButtons(c, frame);
    TRect text = frame.CaptionText();
    TFont font;
    if (!GetCaptionFont(font)) font = StockSystemFont();
    font.SetColor(active ? clCaptionText : clInactiveCaptionText);
    c.SetFont(font);
    c.Brush().Style = TBrushStyle::bsClear;
    text.Left += 2;
    c.DrawText(caption_, text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

QImage TForm::GrabWindow() const {
    QImage out = windowSurface_.copy();
    QPainter p(&out);
    TPoint o = ClientOrigin();
    p.drawPixmap(o.X, o.Y, ClientWidgetOf(*this)->grab());
    return out;
}

void TForm::activateChanged(bool active) {
    Perform(WM_NCACTIVATE, active ? 1 : 0, 0);
}

bool TForm::Active() const {
    return FormHost && FormHost->ActiveForm() == this;
}

void TForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TForm::SetVisible(bool v) {
    if (v) {
        if (Visible() && window_->isVisible()) {
            if (FormHost) FormHost->ActivateForm(this);
            return;
        }
        HandleNeeded();
        setVisibleFlag(true);
        DoShow();
        if (!Visible()) return;  // the show handler hid it again
        if (!centred_) {
            centred_ = true;
            int x = (GetSystemMetrics(SM_CXSCREEN) - WindowWidth()) / 2;
            int y = (GetSystemMetrics(SM_CYSCREEN) - WindowHeight()) / 2;
            window_->move(std::max(0, x), std::max(0, y));
        }
        owner_ = findOwner();
        SetWindowOwner(window_, owner_ ? owner_->window_ : nullptr,
                       owner_ && !owner_->WindowEnabled());
        window_->show();
        if (FormHost) FormHost->formShown(this);
    } else {
        if (!Visible()) return;
        setVisibleFlag(false);
        owner_ = nullptr;
        window_->hide();
        DoHide();
        if (FormHost) FormHost->formHidden(this);
    }
}

TForm* TForm::findOwner() const {
    if (!FormHost) return nullptr;
    TForm* opener = FormHost->ActiveForm();
    if (opener && opener != this && opener->Visible() && !opener->WindowEnabled()) return opener;
    TForm* main = FormHost->MainForm();
    return main && main != this && main->Visible() ? main : nullptr;
}

void TForm::Close() {
    if (Modal()) {
        SetModalResult(mrCancel);
    } else if (FormHost && FormHost->MainForm() == this) {
        SetVisible(false);
        FormHost->Terminate();
    } else {
        SetVisible(false);
    }
}

void TForm::SetModalResult(TModalResult r) {
    modalResult_ = r;
    if (r == mrNone || !modalLoop_) return;
    modalLoop_->exit(0);
    // The loop ends only once the handlers running inside it have returned, which for a
    // long-running one may take a while: the window is closed now all the same.
    SetVisible(false);
}

TModalResult TForm::ShowModal() {
    if (Visible() || Modal()) throw EInvalidOperation("Cannot make a visible window modal");
    TForm* previous = FormHost ? FormHost->ActiveForm() : nullptr;
    std::vector<TForm*> disabled;
    if (FormHost)
        for (TForm* f : FormHost->Forms())
            if (f != this && f->Visible() && f->WindowEnabled()) {
                f->SetWindowEnabled(false);
                disabled.push_back(f);
            }
    modalResult_ = mrNone;
    TMessageLoop loop;
    modalLoop_ = &loop;
    try {
        SetVisible(true);
        if (modalResult_ == mrNone && !(FormHost && FormHost->Terminated())) loop.exec();
    } catch (...) {
        modalLoop_ = nullptr;
        for (TForm* f : disabled) f->SetWindowEnabled(true);
        SetVisible(false);
        throw;
    }
    modalLoop_ = nullptr;
    if (modalResult_ == mrNone) modalResult_ = mrCancel;  // the application is ending
    for (TForm* f : disabled) f->SetWindowEnabled(true);
    SetVisible(false);
    if (FormHost && previous && previous != this && previous->Visible() &&
        previous->WindowEnabled() && FormHost->ActiveForm() == nullptr)
        FormHost->ActivateForm(previous);
    return modalResult_;
}

bool TForm::KeyDown(int key, TShiftState shift) {
    if (OnKeyDown) {
        OnKeyDown(this, key, shift);
        if (key == 0) return true;
    }
    if (PopupMenu() && PopupMenu()->IsShortCut(ShortCutOf(key, shift))) return true;
    return DialogChar(key, shift);
}

bool TForm::DialogChar(int key, TShiftState shift) {
    std::vector<TControl*> pending(Controls().begin(), Controls().end());
    while (!pending.empty()) {
        TControl* c = pending.front();
        pending.erase(pending.begin());
        if (c->Visible() && c->Enabled() && c->DialogChar(key, shift)) return true;
        if (auto* w = dynamic_cast<TWinControl*>(c))
            pending.insert(pending.end(), w->Controls().begin(), w->Controls().end());
    }
    return false;
}

void TForm::ContextPopup(int x, int y) {
    if (!PopupMenu()) return;
    QPoint global = ClientWidgetOf(*this)->mapToGlobal(QPoint(x, y));
    PopupMenu()->Popup(global.x(), global.y());
}

// ---- FormWindow ---------------------------------------------------------------------------------

FormWindow::FormWindow(TForm* form)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), form_(form) {
    setMouseTracking(true);
    setAttribute(Qt::WA_QuitOnClose, false);
    // A click on the background or on a windowless control leaves the focus where it is;
    // keys reach the window itself while none of its controls has the focus.
    setFocusPolicy(Qt::NoFocus);
}

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, form_->WindowSurface());
}

void FormWindow::mousePressEvent(QMouseEvent* e) {
    QPoint pos = e->position().toPoint();
    int hit = form_->HitTest(pos.x(), pos.y());
    if (e->button() != Qt::LeftButton) return;
    if (hit == HTCAPTION) {
        dragging_ = true;
        dragOffset_ = e->globalPosition().toPoint() - this->pos();
    } else if (hit == HTCLOSE || hit == HTMINBUTTON || hit == HTMAXBUTTON || hit == HTHELP) {
        pressedButton_ = hit;
    }
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) {
        move(e->globalPosition().toPoint() - dragOffset_);
        return;
    }
    QPoint pos = e->position().toPoint();
    int hit = form_->HitTest(pos.x(), pos.y());
    Dispatch([&] {
        form_->Perform(
            WM_SETCURSOR, form_->Handle(),
            static_cast<intptr_t>(hit & 0xFFFF) | (static_cast<intptr_t>(WM_MOUSEMOVE) << 16));
    });
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    int pressed = pressedButton_;
    pressedButton_ = 0;
    QPoint pos = e->position().toPoint();
    if (!pressed || form_->HitTest(pos.x(), pos.y()) != pressed) return;
    Dispatch([&] {
        if (pressed == HTCLOSE)
            form_->Close();
        else if (pressed == HTMINBUTTON && (form_->BorderIcons() & biMinimize))
            form_->SetWindowState(TWindowState::wsMinimized);
        else if (pressed == HTMAXBUTTON && (form_->BorderIcons() & biMaximize))
            form_->SetWindowState(form_->WindowState() == TWindowState::wsMaximized
                                      ? TWindowState::wsNormal
                                      : TWindowState::wsMaximized);
    });
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
    bool handled = false;
    TShiftState shift = ShiftStateOf(e->modifiers(), Qt::NoButton);
    int key = virtualKeyOf(e->key());
    Dispatch([&] { handled = form_->KeyDown(key, shift); });
    if (!handled) e->ignore();
}

void FormWindow::contextMenuEvent(QContextMenuEvent* e) {
    QPoint p = ClientWidgetOf(*form_)->mapFrom(this, e->pos());
    Dispatch([&] { form_->ContextPopup(p.x(), p.y()); });
}

void FormWindow::closeEvent(QCloseEvent* e) {
    // The window manager's close request acts like the close box, where there is one.
    e->ignore();
    if (form_->BorderIcons() & biSystemMenu) Dispatch([&] { form_->Close(); });
}

bool FormWindow::eventFilter(QObject* watched, QEvent* e) {
    if (watched == exposed_ && e->type() == QEvent::Expose) SettleBoundsBelow(*form_);
    return false;
}

bool FormWindow::event(QEvent* e) {
    // A paint of the window's controls starts at an update request or at an exposure of
    // the window (seen on the toolkit's window): the sizes of its controls are settled first.
    if (e->type() == QEvent::UpdateRequest) SettleBoundsBelow(*form_);
    if (e->type() == QEvent::Show && windowHandle() != exposed_) {
        exposed_ = windowHandle();
        if (exposed_) exposed_->installEventFilter(this);
    }
    // On a screen of another density the window's surface is made anew at its ratio.
    if (e->type() == QEvent::ScreenChangeInternal) form_->layoutWindow();
    // A window manager may hand the focus to a form that takes no input (its owner was
    // clicked): the form that does takes it over.
    if (e->type() == QEvent::WindowActivate && FormHost && form_->Visible())
        Dispatch([&] {
            if (form_->WindowEnabled())
                FormHost->ActivateForm(form_);
            else
                FormHost->ActivateInputForm();
        });
    return QWidget::event(e);
}
