#include "forms/Unit3.h"

#include "forms/InstallOptions.h"
#include "forms/Unit2.h"
#include "framework/Dialogs.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form3");
        SetCaption("Make directory");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(282, 101);

        Label1 = new TLabel(this);
        Label1->SetBounds(11, 8, 45, 13);
        Label1->SetCaption("Dir name:");
        Label1->SetParent(this);
        Edit1 = new TEdit(this);
        Edit1->SetBounds(9, 25, 264, 21);
        Edit1->SetTabOrder(0);
        Edit1->SetText("Edit1");
        Edit1->SetParent(this);
        SpeedButton1 = new TSpeedButton(this);
        SpeedButton1->SetBounds(16, 69, 97, 22);
        SpeedButton1->SetCaption("&Ok");
        SpeedButton1->SetParent(this);
        SpeedButton2 = new TSpeedButton(this);
        SpeedButton2->SetBounds(168, 69, 97, 22);
        SpeedButton2->SetCaption("&Cancel");
        SpeedButton2->SetParent(this);
    });
    OnActivate = [this](TObject* s) { FormActivate(s); };
    SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
}

void TForm3::FormActivate(TObject*) {
    Edit1->SetText(InstallOptions.DIR);
}

void TForm3::SpeedButton1Click(TObject*) {
    // The bare name: the platform resolves it against the process's current directory,
    // which the directory list keeps on the folder it shows.
    std::string name = Edit1->Text();
    uint32_t attributes = platform::GetFileAttributes(name);
    if (attributes != platform::INVALID_FILE_ATTRIBUTES &&
        (attributes & platform::FILE_ATTRIBUTE_DIRECTORY)) {
        MessageDlg("The " + name + " Directory already exists, please choose another name!",
                   TMsgDlgType::mtWarning, mbOK);
        return;
    }
    unsigned code = platform::CreateDirectory(name);
    if (code != 0) throw EInOutError(static_cast<int>(code));
    Form2->DirectoryListBox1->SetCurrentDir(Form2->DirectoryListBox1->CurrentDir() + "\\" + name);
    Close();
    Form2->Show();
}

void TForm3::SpeedButton2Click(TObject*) {
    Close();
    Form2->Show();
}
