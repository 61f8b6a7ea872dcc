// The application object: the title, the main form and the message loop, the window hooks
// and posted messages, the activation of its forms, and the error box for errors that
// escape event handlers.
#pragma once

#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/Classes.h"
#include "framework/Forms.h"
#include "framework/Messages.h"

using TAppHook = std::function<bool(TMessage&)>;

class TApplication : public TComponent, public TFormHost {
  public:
    TApplication();
    ~TApplication() override;

    // Creates the toolkit application when there is none, loads the embedded fonts and
    // installs the error box for errors that escape event handlers.
    void Initialize(int& argc, char** argv);

    const std::string& Title() const override { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }
    TForm* MainForm() const override { return mainForm_; }
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
    void Terminate() override;
    bool Terminated() const override { return terminated_; }

    // The error box: the text with a full stop, the title as caption, a stop icon, OK.
    void ShowException(const std::exception& e);

    // The application's own window: hooks see every message posted to it.
    uintptr_t Handle() const { return 1; }
    int HookMainWindow(TAppHook hook);
    void UnhookMainWindow(int id);
    // Posts a message to the application's window; hooks see it from the message loop.
    void PostMessage(unsigned msg, uintptr_t wparam, intptr_t lparam);

    // Activation: the form that has the input focus among the application's windows.
    TForm* ActiveForm() const override { return activeForm_; }
    void ActivateForm(TForm* form) override;
    void ActivateInputForm() override;
    const std::vector<TForm*>& Forms() const override { return forms_; }
    const QImage& Icon() const override { return icon_; }
    void SetIcon(const QImage& icon) { icon_ = icon; }

    // A new window handle (each creation of a window gets a fresh one).
    uintptr_t NewHandle() override { return ++lastHandle_; }

  private:
    void formCreated(TForm* f) override;
    void formShown(TForm* f) override;
    void formHidden(TForm* f) override;
    void formDestroyed(TForm* f) override;
    TForm* latestEnabledForm() const;

    std::string title_;
    TForm* mainForm_ = nullptr;
    TForm* activeForm_ = nullptr;
    TForm* failedActivation_ = nullptr;  // its error box is up
    std::vector<TForm*> forms_;
    std::vector<TForm*> activationOrder_;  // most recent last
    std::vector<std::pair<int, TAppHook>> hooks_;
    int nextHookId_ = 1;
    uintptr_t lastHandle_ = FirstHandle;
    bool terminated_ = false;
    bool ownsQtApp_ = false;
    QImage icon_;
    std::unique_ptr<TMessageLoop> runLoop_;
};

extern TApplication* Application;
