// Controls: the visual components a form places. A windowless control (TGraphicControl)
// paints through a canvas into an image of its own size, which is then shown on its
// parent; a windowed control (TWinControl) wraps a toolkit widget. Every call from the
// toolkit into a control's handlers goes through Dispatch, so an error raised by a handler
// reaches the error box and never unwinds through the toolkit. The widgets themselves stay
// inside the framework (Controls_p.h).
#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Canvas.h"
#include "framework/Classes.h"

class TWinControl;
class TForm;
class TPopupMenu;
struct TAccessibleInfo;
// The toolkit side of a control (its widget), defined in Controls_p.h.
struct TControlPrivate;

// Runs code called from the toolkit; an escaping error goes to the exception handler.
void Dispatch(const std::function<void()>& handler);
// The exception handler (the application installs the error box).
void SetExceptionHandler(std::function<void(const std::exception&)> handler);

enum TShiftStateFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};
using TShiftState = unsigned;
enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, int& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

enum TControlStyleFlag : unsigned {
    csOpaque = 0x1,
};

class TControl : public TComponent {
  public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);
    // The form the control stands on, or null.
    TForm* ParentForm() const;
    // The control itself when it is a form, else null.
    virtual TForm* AsForm() const { return nullptr; }

    // A size that follows the content (an auto-sized label's text) is measured when it is
    // first read or painted, not at each change of the content: the readers below settle it.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return settled().width_; }
    int Height() const { return settled().height_; }
    void SetLeft(int v) { SetBounds(v, top_, Width(), height_); }
    void SetTop(int v) { SetBounds(left_, v, Width(), height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, Height()); }
    void SetHeight(int v) { SetBounds(left_, top_, Width(), v); }
    // Settles a pending measure first, so bounds set here win over it.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const {
        settled();
        return {left_, top_, left_ + width_, top_ + height_};
    }
    TRect ClientRect() const { return {0, 0, Width(), Height()}; }
    // Measures a size left pending now (before a paint of the window, for instance).
    void SettleBounds() const { settled(); }

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and so is every parent up to a shown form.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool e);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& h);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool s);

    TColor Color() const { return color_; }
    virtual void SetColor(TColor c);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& f) { font_ = f; }
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* m) { popupMenu_ = m; }
    unsigned ControlStyle() const { return controlStyle_; }
    void SetControlStyle(unsigned s) { controlStyle_ = s; }

    // Requests a repaint at the next opportunity.
    virtual void Invalidate();
    // Repaints at once.
    virtual void Repaint();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

    // Alt+letter and similar keys offered to every control of the active form; true when
    // the control acted on it.
    virtual bool DialogChar(int key, TShiftState shift) { return false; }

    // Input as the toolkit delivers it (tests may call these to simulate the user).
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    // What a screen reader learns of the control (see Accessibility.h): each class adds its
    // role, caption, value or entries to what every control knows (hint, click handler).
    virtual void DescribeAccessible(TAccessibleInfo& info) const;
    // A screen reader's press of the control (item -1) or of one of its entries.
    virtual void AccessiblePress(int item);
    // The keys that do what pressing the control does, where no caption shows them (a
    // hot-spot and the menu item it stands for).
    void SetAccessibleShortcut(const std::string& keys) { accessibleShortcut_ = keys; }

  protected:
    virtual void FontChanged() { Invalidate(); }
    void setVisibleFlag(bool v) { visible_ = v; }
    // The content that sets the control's size has changed: MeasureBounds runs before the
    // bounds are next read, set or painted. A change of content costs no measure this way
    // (a label showing each name of a run measures once a frame, not once a name).
    void DeferBounds() { boundsPending_ = true; }
    // Sets the bounds the content needs (SetBounds).
    virtual void MeasureBounds() {}

  private:
    // The control itself, with a pending measure done; controls are never made const.
    const TControl& settled() const {
        if (boundsPending_) const_cast<TControl*>(this)->settleBounds();
        return *this;
    }
    void settleBounds();

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool boundsPending_ = false;
    bool visible_ = true;
    bool enabled_ = true;
    bool showHint_ = false;
    bool mouseDown_ = false;
    std::string hint_;
    std::string accessibleShortcut_;
    TColor color_ = clBtnFace;
    TFont font_;
    TPopupMenu* popupMenu_ = nullptr;
    unsigned controlStyle_ = 0;
    // Expires with the control; see TControlGuard.
    std::shared_ptr<const char> lifeToken_ = std::make_shared<const char>(0);
    std::unique_ptr<TControlPrivate> private_;

    friend class ControlWidget;
    friend class TWinControl;
    friend class TControlGuard;
    friend TControlPrivate& PrivateOf(const TControl& control);
};

// Notices the end of a control. A handler may free the very control that called it, and
// the toolkit may still deliver events to the widget of a control that is gone (its widget
// is deleted later); code that reads a control after running a handler, or reaches it
// through a widget's back pointer, asks Alive() first.
class TControlGuard {
  public:
    explicit TControlGuard(const TControl* control) : token_(control->lifeToken_) {}
    bool Alive() const { return !token_.expired(); }

  private:
    std::weak_ptr<const char> token_;
};

// A control without a window of its own. Paint draws into Canvas, an image of the
// control's size; the image is then shown on the parent. Without csOpaque the image starts
// transparent for every paint, so the parent shows through where nothing was drawn.
class TGraphicControl : public TControl {
  public:
    explicit TGraphicControl(TComponent* owner);

    TCanvas& Canvas() { return canvas_; }
    // The pixels of the last paint.
    const QImage& Surface() const { return surface_; }
    // Paints into the surface now (also when the control is not on screen); the screen
    // shows it at the next round of updates (see ScreenUpdates.h).
    void Repaint() override;
    void Invalidate() override;
    void SetBounds(int left, int top, int width, int height) override;
    int PaintCount() const { return paintCount_; }

  protected:
    virtual void Paint() {}
    // From Paint: shows `picture` as the whole surface, shared rather than copied, when it
    // has the surface's size, ratio and format (true); otherwise the caller draws it. For a
    // control whose every paint is one ready picture (a gauge's picture per state).
    bool ShowPicture(const QImage& picture);

  private:
    void paintSurface();

    QImage surface_;
    TCanvas canvas_;
    bool dirty_ = true;
    int paintCount_ = 0;

    friend class ControlWidget;
};

// A control with a window of its own: a toolkit widget, or a container of other controls.
class TWinControl : public TControl {
  public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    const std::vector<TControl*>& Controls() const { return controls_; }
    int ControlCount() const { return static_cast<int>(controls_.size()); }

    // Window creation: happens when the control is first shown. Descendants build what
    // needs a window in CreateWnd.
    bool HandleAllocated() const { return handleAllocated_; }
    void HandleNeeded();
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }
    void SetFocus();
    bool Focused() const;

    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

  protected:
    virtual void CreateWnd() {}
    // Destroys the window: a later HandleNeeded creates it afresh.
    void DestroyHandleState() { handleAllocated_ = false; }
    // Creates the windows of every child control (in creation order).
    void CreateChildHandles();

  private:
    void insertControl(TControl* c);
    void removeControl(TControl* c);

    std::vector<TControl*> controls_;
    bool handleAllocated_ = false;
    int tabOrder_ = 0;

    friend class TControl;
};
