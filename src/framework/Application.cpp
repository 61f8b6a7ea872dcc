#include "framework/Application.h"

#include <QApplication>
#include <QGuiApplication>
#include <algorithm>
#include <clocale>

#include "framework/Dialogs.h"
#include "framework/Forms_p.h"
#include "framework/SysUtils.h"
#include "framework/Utf8.h"

TApplication* Application = nullptr;

TApplication::TApplication() : TComponent(nullptr) {
    Application = this;
    FormHost = this;
}

TApplication::~TApplication() {
    DestroyComponents();
    if (Application == this) Application = nullptr;
    if (FormHost == this) FormHost = nullptr;
    SetExceptionHandler(nullptr);
}

void TApplication::Initialize(int& argc, char** argv) {
    if (!qApp) {
        new QApplication(argc, argv);
        ownsQtApp_ = true;
    }
    // The toolkit's application object takes the locale from the environment. Names on
    // disk go through the process's character type (the archive library converts them
    // with it): it stays UTF-8 whatever the user's locale, so names come out as stored.
    if (!CharacterTypeIsUtf8() && !std::setlocale(LC_CTYPE, "C.UTF-8"))
        std::setlocale(LC_CTYPE, "en_US.UTF-8");
    QApplication::setQuitOnLastWindowClosed(false);
    LoadEmbeddedFonts();
    InstallFormInputFilter();
    SetExceptionHandler([this](const std::exception& e) { ShowException(e); });
}

void TApplication::ShowException(const std::exception& e) {
    MessageBox(WithFullStop(e.what()), title_, MB_OK | MB_ICONSTOP);
}

void TApplication::Run() {
    if (terminated_) return;
    if (mainForm_) mainForm_->Show();
    if (terminated_) return;
    runLoop_ = std::make_unique<TMessageLoop>();
    runLoop_->exec();
    runLoop_.reset();
}

void TApplication::ProcessMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::Terminate() {
    terminated_ = true;
    for (TForm* f : forms_)
        if (f->Modal() && f->ModalResult() == mrNone) f->SetModalResult(mrCancel);
    if (runLoop_) runLoop_->exit(0);
}

int TApplication::HookMainWindow(TAppHook hook) {
    int id = nextHookId_++;
    hooks_.emplace_back(id, std::move(hook));
    return id;
}

void TApplication::UnhookMainWindow(int id) {
    std::erase_if(hooks_, [id](const auto& h) { return h.first == id; });
}

void TApplication::PostMessage(unsigned msg, uintptr_t wparam, intptr_t lparam) {
    QMetaObject::invokeMethod(
        qApp,
        [this, msg, wparam, lparam] {
            TMessage m{msg, wparam, lparam, 0};
            auto hooks = hooks_;
            Dispatch([&] {
                for (auto& [id, hook] : hooks)
                    if (hook(m)) break;
            });
        },
        Qt::QueuedConnection);
}

void TApplication::ActivateForm(TForm* form) {
    if (form == activeForm_) return;
    TForm* old = activeForm_;
    activeForm_ = form;
    if (old) {
        old->activateChanged(false);
        if (old->OnDeactivate) Dispatch([&] { old->OnDeactivate(old); });
    }
    if (!form) return;
    std::erase(activationOrder_, form);
    activationOrder_.push_back(form);
    form->activateChanged(true);
    WidgetOf(*form)->raise();
    WidgetOf(*form)->activateWindow();
    if (!form->OnActivate || form == failedActivation_) return;
    // An activation handler that fails shows the error box; when the box closes the
    // activation comes back to the form, and running the handler again would fail again,
    // for ever. That return does not run it.
    try {
        form->OnActivate(form);
    } catch (const std::exception& e) {
        TForm* saved = failedActivation_;
        failedActivation_ = form;
        Dispatch([&] { ShowException(e); });
        failedActivation_ = saved;
    }
}

void TApplication::ActivateInputForm() {
    bool takesInput = activeForm_ && activeForm_->Visible() && activeForm_->WindowEnabled();
    TForm* form = takesInput ? activeForm_ : latestEnabledForm();
    if (!form) return;
    if (form != activeForm_) return ActivateForm(form);
    WidgetOf(*form)->raise();
    WidgetOf(*form)->activateWindow();
}

TForm* TApplication::latestEnabledForm() const {
    for (auto it = activationOrder_.rbegin(); it != activationOrder_.rend(); ++it)
        if ((*it)->Visible() && (*it)->WindowEnabled()) return *it;
    return nullptr;
}

void TApplication::formCreated(TForm* f) {
    forms_.push_back(f);
}

void TApplication::formShown(TForm* f) {
    ActivateForm(f);
}

void TApplication::formHidden(TForm* f) {
    std::erase(activationOrder_, f);
    if (activeForm_ != f) return;
    ActivateForm(latestEnabledForm());
}

void TApplication::formDestroyed(TForm* f) {
    std::erase(forms_, f);
    std::erase(activationOrder_, f);
    if (activeForm_ == f) activeForm_ = nullptr;
    if (mainForm_ == f) mainForm_ = nullptr;
}
