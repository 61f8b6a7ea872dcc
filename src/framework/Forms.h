// Forms. A form is a top-level window of fixed client size, centred on the screen, whose
// frame and caption bar the framework draws itself into a window surface; the non-client
// messages go through a replaceable message procedure so a component can take the caption
// over. The application object is in Application.h. The toolkit window stays inside the
// framework (Forms_p.h).
#pragma once

#include <QImage>
#include <QRegion>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Messages.h"
#include "framework/WindowFrame.h"

enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
// Mouse pointers over a window: the default arrow, the sizing arrows (west-east,
// north-south, north-west to south-east, north-east to south-west).
enum class TCursor { crDefault, crSizeWE, crSizeNS, crSizeNWSE, crSizeNESW };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

// The application a form belongs to, as forms and dialogs see it. The application object
// implements it; the forms know it only through this, so they do not depend on its unit.
class TFormHost {
  public:
    virtual const std::string& Title() const = 0;
    virtual TForm* MainForm() const = 0;
    virtual void Terminate() = 0;
    virtual bool Terminated() const = 0;
    // The form that has the input focus among the application's windows.
    virtual TForm* ActiveForm() const = 0;
    virtual void ActivateForm(TForm* form) = 0;
    // Brings forward the form that takes the input: the active one, or else the one most
    // recently active that is visible and enabled.
    virtual void ActivateInputForm() = 0;
    virtual const std::vector<TForm*>& Forms() const = 0;
    virtual const QImage& Icon() const = 0;
    // A new window handle (each creation of a window gets a fresh one).
    virtual uintptr_t NewHandle() = 0;
    // Handles count up from this one, which a form made without an application has.
    static constexpr uintptr_t FirstHandle = 0x100;

  protected:
    ~TFormHost() = default;

  private:
    friend class TForm;
    virtual void formCreated(TForm* f) = 0;
    virtual void formShown(TForm* f) = 0;
    virtual void formHidden(TForm* f) = 0;
    virtual void formDestroyed(TForm* f) = 0;
};

// The running application; null before it exists and after it has gone.
extern TFormHost* FormHost;

class FormWindow;
// A loop that runs messages until it is told to end (Forms_p.h).
class TMessageLoop;

class TForm : public TWinControl {
  public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    int ClientWidth() const { return Width(); }
    int ClientHeight() const { return Height(); }
    void SetClientSize(int width, int height);
    // A form's size is its client size; the frame and caption lie around it.
    void SetBounds(int left, int top, int width, int height) override;
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons icons);
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle s) { formStyle_ = s; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState s);
    // The form's own icon (null: none).
    const QImage& Icon() const { return icon_; }
    void SetIcon(const QImage& icon);
    // A clear brush leaves the client background unpainted.
    bool BrushClear() const { return brushClear_; }
    void SetBrushClear(bool clear);

    // Showing and closing. A modal form runs its own loop until its modal result is set;
    // Close ends that loop (modal) or hides the form (not modal); hiding a modal form keeps
    // its loop running; the other forms take no input meanwhile. A modal form hides as
    // soon as its modal result is set; Modal() stays true until its loop has ended.
    void SetVisible(bool v) override;
    void Close();
    TModalResult ShowModal();
    bool Modal() const { return modalLoop_ != nullptr; }
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r);
    bool Active() const;
    // The form this one stays above while it is shown, chosen when it is shown: the active
    // form when that takes no input meanwhile (it opened this one modally), else the main
    // form; null for the main form and while hidden. Window managers are told of it.
    TForm* OwnerForm() const { return owner_; }
    // The window's input state (disabled while another form is modal).
    bool WindowEnabled() const { return windowEnabled_; }
    void SetWindowEnabled(bool e) { windowEnabled_ = e; }

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TKeyEvent OnKeyDown;

    // ---- Window and message procedure ----
    // The window's handle; creates the window when there is none yet.
    uintptr_t Handle();
    // Destroys the window (WM_DESTROY goes through the message procedure) and makes a new
    // one, as changing some window styles does.
    void RecreateWnd();
    TWndMethod WindowProc;
    intptr_t Perform(unsigned msg, uintptr_t wparam = 0, intptr_t lparam = 0);
    // The default handling of a message.
    virtual void WndProc(TMessage& message);

    // The whole window (frame, caption and client) as an image; the frame and caption are
    // drawn into it through WindowCanvas.
    TCanvas& WindowCanvas() { return windowCanvas_; }
    const QImage& WindowSurface() const { return windowSurface_; }
    // The full window image: frame, caption and the client area's current painting.
    QImage GrabWindow() const;
    int WindowWidth() const;
    int WindowHeight() const;
    // Window rectangle on the screen.
    TRect WindowRect() const;
    // Client area origin inside the window.
    TPoint ClientOrigin() const;
    int FrameWidth() const;
    int FrameHeight() const;
    int CaptionHeight() const;
    // The frame as the border style, border icons and window state make it.
    TWindowFrame Frame() const { return {borderStyle_, borderIcons_, windowState_, Width()}; }
    // Caption bar, its buttons, and what lies under a point of the window.
    TRect CaptionBarRect() const;
    TRect CaptionButtonRect(unsigned hitTest) const;
    int HitTest(int x, int y) const;
    // Asks for the frame to be repainted now (WM_NCPAINT with the whole frame).
    void RedrawFrame();
    // The mouse pointer over the window (the default handling of WM_SETCURSOR sets
    // crDefault).
    void SetCursor(TCursor cursor);

    // Keyboard: the form's shortcuts (context menu items, Alt+letter of its buttons).
    virtual bool KeyDown(int key, TShiftState shift);
    // Offers Alt+letter to every control of the form; true when one acted on it. Comes
    // before the focused control sees the key.
    bool DialogChar(int key, TShiftState shift) override;
    // Context menu at a client position.
    void ContextPopup(int x, int y);

    TForm* AsForm() const override { return const_cast<TForm*>(this); }
    // A frame named by its caption, a dialog while it is modal.
    void DescribeAccessible(TAccessibleInfo& info) const override;

  protected:
    void CreateWnd() override;
    virtual void DoShow();
    virtual void DoHide();
    // The framework's own non-client painting: frame, caption bar, icon, title, buttons.
    void PaintNonClient(const QRegion* clip);
    void PaintCaptionBar(TCanvas& canvas, bool active);
    void layoutWindow();

  private:
    void activateChanged(bool active);
    TForm* findOwner() const;
    friend class TApplication;
    friend class FormWindow;

    std::string caption_;
    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TFormStyle formStyle_ = TFormStyle::fsNormal;
    TWindowState windowState_ = TWindowState::wsNormal;
    QImage icon_;
    bool brushClear_ = false;
    bool captionActive_ = false;
    bool windowEnabled_ = true;
    bool centred_ = false;
    uintptr_t handle_ = 0;
    TModalResult modalResult_ = mrNone;
    TMessageLoop* modalLoop_ = nullptr;
    TForm* owner_ = nullptr;
    FormWindow* window_ = nullptr;
    QImage windowSurface_;
    TCanvas windowCanvas_;
};
