#include "forms/Unit2.h"

#include <cmath>

#include "forms/InstallOptions.h"
#include "forms/Placement.h"
#include "forms/Unit3.h"
#include "forms/Unit5.h"
#include "framework/Jpeg.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

TForm2* Form2 = nullptr;

namespace {

constexpr double kMegabyte = 1048576.0;

constexpr Placement kDriveComboBox1{7, 17, 307, 19};
constexpr Placement kDirectoryListBox1{8, 45, 305, 136};
constexpr Placement kBevel1{8, 188, 305, 57};
constexpr Placement kLabel1{24, 198, 219, 13};
constexpr Placement kLabel2{24, 223, 220, 13};
constexpr Placement kLabel3{252, 199, 30, 13};
constexpr Placement kLabel4{252, 224, 30, 13};
constexpr Placement kSpeedButton1{13, 254, 81, 22};
constexpr Placement kSpeedButton2{123, 254, 80, 22};
constexpr Placement kSpeedButton3{230, 254, 81, 22};
constexpr Placement kImage2{5, 278, 318, 56};

TLabel* label(TForm* form, const Placement& p, const char* text) {
    auto* l = place(form, new TLabel(form), p);
    l->Font().SetColor(clBlack);
    l->SetCaption(text);
    return l;
}

TSpeedButton* button(TForm* form, const Placement& p, const char* caption) {
    auto* b = place(form, new TSpeedButton(form), p);
    b->Font().SetColor(clBlack);
    b->SetCaption(caption);
    return b;
}

}  // namespace

double RoundHalfUp(double x) {
    return std::floor(x + 0.5);
}

std::string SizeText(double bytes) {
    if (bytes > kMegabyte) return Format("%.0f Mb", RoundHalfUp(bytes / kMegabyte));
    return Format("%.0f Kb", RoundHalfUp(bytes / 1024.0));
}

void QueryDiskSpace(const std::string& root, double& totalBytes, double& availableBytes) {
    platform::DiskSpace space;
    if (platform::GetDiskFreeSpace(root, space) != 0) space = {};
    totalBytes = static_cast<double>(space.TotalBytes);
    availableBytes = static_cast<double>(space.FreeBytesAvailableToCaller);
}

TForm2::TForm2(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form2");
        SetCaption("Select a Directory");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(321, 335);

        DriveComboBox1 = place(this, new TDriveComboBox(this), kDriveComboBox1);
        DriveComboBox1->SetTabOrder(0);
        DirectoryListBox1 = place(this, new TDirectoryListBox(this), kDirectoryListBox1);
        DirectoryListBox1->SetTabOrder(1);
        DriveComboBox1->SetDirList(DirectoryListBox1);
        Bevel1 = place(this, new TBevel(this), kBevel1);
        Bevel1->SetShape(TBevelShape::bsFrame);
        Bevel1->SetStyle(TBevelStyle::bsRaised);
        Label1 =
            label(this, kLabel1, "Space free on this disk     ................................");
        Label2 =
            label(this, kLabel2, "Space required for this      ................................");
        Label3 = label(this, kLabel3, "Size A");
        Label4 = label(this, kLabel4, "Size B");
        Label4->SetTransparent(true);
        SpeedButton1 = button(this, kSpeedButton1, "&Install");
        SpeedButton2 = button(this, kSpeedButton2, "&Make Dir");
        SpeedButton3 = button(this, kSpeedButton3, "&Cancel");
        Image2 = place(this, new TImage(this), kImage2);
        Image2->SetPicture(LoadJpegResource(":/banner.jpg"));
    });
    OnActivate = [this](TObject* s) { FormActivate(s); };
    DriveComboBox1->OnChange = [this](TObject* s) { DriveComboBox1Change(s); };
    SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
    SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
}

void TForm2::FormActivate(TObject*) {
    Label4->SetCaption(InstallOptions.SIZE + " Mb");
    // Shown again by a Cancel while the run may still be finishing its entry: Install
    // waits until the extraction window's display has ended.
    SpeedButton1->SetEnabled(!Form5->Modal());
}

void TForm2::DriveComboBox1Change(TObject*) {
    // Started in a network folder without a letter: the space of that network root.
    char letter = DriveComboBox1->DriveLetter();
    std::string root = letter ? std::string(1, letter) + ":\\"
                              : ExtractFileDrive(DirectoryListBox1->CurrentDir()) + "\\";
    double total = 0, available = 0;
    QueryDiskSpace(root, total, available);
    double freeMegabytes = RoundHalfUp(available / kMegabyte);
    int required = StrToInt(InstallOptions.SIZE);
    bool enough = freeMegabytes > required;
    Label3->Font().SetColor(enough ? clBlack : clRed);
    Label3->SetCaption(SizeText(available));
    SetCaption(enough ? "Select a Directory" : "Insufficient space on this disk!");
}

void TForm2::SpeedButton1Click(TObject*) {
    // The extraction window can be shown again only once its last display has ended: a
    // cancelled run returns into that display, nested below this click.
    if (Form5->Modal()) return;
    Hide();
    Form5->ShowModal();
    SpeedButton1->SetEnabled(true);
}

void TForm2::SpeedButton2Click(TObject*) {
    Form3->Show();
    Hide();
}

void TForm2::SpeedButton3Click(TObject*) {
    Close();
}
