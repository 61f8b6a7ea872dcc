#include "forms/Unit3.h"

#include "forms/InstallOptions.h"
#include "forms/Placement.h"
#include "forms/Unit2.h"
#include "framework/Dialogs.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

TForm3* Form3 = nullptr;

namespace {

constexpr Placement kLabel1{11, 8, 45, 13};
constexpr Placement kEdit1{9, 25, 264, 21};
constexpr Placement kSpeedButton1{16, 69, 97, 22};
constexpr Placement kSpeedButton2{168, 69, 97, 22};

}  // namespace

TForm3::TForm3(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form3");
        SetCaption("Make directory");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(282, 101);

        Label1 = place(this, new TLabel(this), kLabel1);
        Label1->SetCaption("Dir name:");
        Edit1 = place(this, new TEdit(this), kEdit1);
        Edit1->SetTabOrder(0);
        Edit1->SetText("Edit1");
        SpeedButton1 = place(this, new TSpeedButton(this), kSpeedButton1);
        SpeedButton1->SetCaption("&Ok");
        SpeedButton2 = place(this, new TSpeedButton(this), kSpeedButton2);
        SpeedButton2->SetCaption("&Cancel");
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
