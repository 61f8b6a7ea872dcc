// Forms and the application object. A form is a top-level window of fixed client size,
// centred on the screen, whose frame and caption bar the framework draws itself into a
// window surface; the non-client messages go through a replaceable message procedure so a
// component can take the caption over. The application keeps track of the active form,
// runs modal loops and reports errors that escape event handlers.
#pragma once

#include <QEventLoop>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Messages.h"

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIconFlag : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum class TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = 1;
constexpr TModalResult mrCancel = 2;
constexpr TModalResult mrAbort = 3;
constexpr TModalResult mrRetry = 4;
constexpr TModalResult mrIgnore = 5;
constexpr TModalResult mrYes = 6;
constexpr TModalResult mrNo = 7;

class FormWindow;

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
    // Caption bar, its buttons, and what lies under a point of the window.
    TRect CaptionBarRect() const;
    TRect CaptionButtonRect(unsigned hitTest) const;
    int HitTest(int x, int y) const;
    // Asks for the frame to be repainted now (WM_NCPAINT with the whole frame).
    void RedrawFrame();

    // Keyboard: the form's shortcuts (context menu items, Alt+letter of its buttons).
    virtual bool KeyDown(int key, TShiftState shift);
    // Offers Alt+letter to every control of the form; true when one acted on it. Comes
    // before the focused control sees the key.
    bool DialogChar(int key, TShiftState shift) override;
    // Context menu at a client position.
    void ContextPopup(int x, int y);

    QWidget* ClientWidget() const override { return client_; }
    FormWindow* Window() const { return window_; }

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
    QEventLoop* modalLoop_ = nullptr;
    FormWindow* window_ = nullptr;
    QWidget* client_ = nullptr;
    QImage windowSurface_;
    TCanvas windowCanvas_;
};

// The toolkit window behind a form.
class FormWindow : public QWidget {
  public:
    explicit FormWindow(TForm* form);
    TForm* Form() const { return form_; }

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void contextMenuEvent(QContextMenuEvent*) override;
    void closeEvent(QCloseEvent*) override;
    bool event(QEvent*) override;

  private:
    TForm* form_;
    QPoint dragOffset_;
    bool dragging_ = false;
    int pressedButton_ = 0;
};

// ---- Application
// ---------------------------------------------------------------------------------

using TAppHook = std::function<bool(TMessage&)>;

class TApplication : public TComponent {
  public:
    TApplication();
    ~TApplication() override;

    // Creates the toolkit application when there is none, loads the embedded fonts and
    // installs the error box for errors that escape event handlers.
    void Initialize(int& argc, char** argv);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    TForm* MainForm() const { return mainForm_; }
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    void CreateForm(T*& reference) {
        // A new main form begins a new session of the application.
        if (!mainForm_) terminated_ = false;
        reference = new T(this);
        if (!mainForm_) mainForm_ = reference;
    }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    // Shows the main form and runs the message loop until it closes.
    void Run();
    void ProcessMessages();
    void Terminate();
    bool Terminated() const { return terminated_; }

    // The error box: the text with a full stop, the title as caption, a stop icon, OK.
    void ShowException(const std::exception& e);

    // The application's own window: hooks see every message posted to it.
    uintptr_t Handle() const { return 1; }
    int HookMainWindow(TAppHook hook);
    void UnhookMainWindow(int id);
    // Posts a message to the application's window; hooks see it from the message loop.
    void PostMessage(unsigned msg, uintptr_t wparam, intptr_t lparam);

    // Activation: the form that has the input focus among the application's windows.
    TForm* ActiveForm() const { return activeForm_; }
    void ActivateForm(TForm* form);
    const std::vector<TForm*>& Forms() const { return forms_; }
    const QImage& Icon() const { return icon_; }
    void SetIcon(const QImage& icon) { icon_ = icon; }

    // A new window handle (each creation of a window gets a fresh one).
    uintptr_t NewHandle() { return ++lastHandle_; }

  private:
    friend class TForm;
    void formShown(TForm* f);
    void formHidden(TForm* f);
    void formDestroyed(TForm* f);

    std::string title_;
    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    TForm* failedActivation_ = nullptr;  // its error box is up
    std::vector<TForm*> forms_;
    std::vector<TForm*> activationOrder_;  // most recent last
    std::vector<std::pair<int, TAppHook>> hooks_;
    int nextHookId_ = 1;
    uintptr_t lastHandle_ = 0x100;
    bool terminated_ = false;
    bool ownsQtApp_ = false;
    QImage icon_;
    std::unique_ptr<QEventLoop> runLoop_;
};

extern TApplication* Application;
