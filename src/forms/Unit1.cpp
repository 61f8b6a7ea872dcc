#include "forms/Unit1.h"

#include <cstring>

#include "forms/InstallOptions.h"
#include "forms/MusicFailure.h"
#include "forms/Placement.h"
#include "forms/Unit2.h"
#include "forms/Unit4.h"
#include "framework/Jpeg.h"
#include "framework/SysUtils.h"
#include "music/tunedll.h"
#include "platform/Platform.h"

TForm1* Form1 = nullptr;

namespace {

// The stored layout, client pixels.
constexpr Placement kImage1{0, 0, 489, 387};
constexpr Placement kImage2{285, 72, 88, 77};
constexpr Placement kImage4{390, 128, 80, 78};
constexpr Placement kImage3{389, 37, 81, 77};
constexpr Placement kScrollText1{12, 362, 470, 20};
constexpr Placement kLabel1{288, 73, 84, 74};
constexpr Placement kLabel2{394, 41, 74, 70};
constexpr Placement kLabel3{392, 131, 77, 75};
constexpr Placement kLabel4{14, 9, 461, 19};
constexpr Placement kScrollText2{149, 76, 91, 15};

// The context menu's keys; each hot-spot does what one of its items does.
constexpr const char* kInstallKeys = "Ctrl+I";
constexpr const char* kNfoKeys = "Ctrl+N";
constexpr const char* kQuitKeys = "Ctrl+Q";

TImage* picture(TForm* form, const Placement& p, const char* resource, const char* hint) {
    auto* image = place(form, new TImage(form), p);
    image->SetPicture(LoadJpegResource(resource));
    if (hint) {
        image->SetHint(hint);
        image->SetShowHint(true);
    }
    return image;
}

// A hot-spot: a transparent label without text over a button of the picture.
TLabel* hotSpot(TForm* form, const Placement& p) {
    auto* label = new TLabel(form);
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->Font().SetName("Arial");
    label->Font().SetHeight(-16);
    label->Font().SetStyle(fsBold);
    label->Font().SetColor(clWhite);
    label->SetShowHint(false);
    return place(form, label, p);
}

// White Arial text on black, centred.
TScrollText* scroller(TForm* form, const Placement& p, int steps, int speed, int fontHeight) {
    auto* text = place(form, new TScrollText(form), p);
    text->SetSteps(steps);
    text->SetSpeed(speed);
    text->SetColor(clBlack);
    text->SetContinuous(true);
    text->Font().SetName("Arial");
    text->Font().SetHeight(fontHeight);
    text->Font().SetColor(clWhite);
    text->SetAlignment(TAlignment::taCenter);
    return text;
}

TMenuItem* menuItem(TPopupMenu* menu, const char* caption, const char* shortCut) {
    auto* item = new TMenuItem(menu);
    item->SetCaption(caption);
    item->SetShortCut(TextToShortCut(shortCut));
    menu->Add(item);
    return item;
}

}  // namespace

TForm1::TForm1(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form1");
        SetCaption("Tarnwick Installer...");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(489, 387);

        Image1 = picture(this, kImage1, ":/background.jpg", nullptr);
        Image1->SetAutoSize(true);
        Image1->SetStretch(true);
        Image2 = picture(this, kImage2, ":/install.jpg", "Install Game");
        Image4 = picture(this, kImage4, ":/exit.jpg", "Exit Installer");
        Image3 = picture(this, kImage3, ":/info.jpg", "Read Game Info");
        ScrollText1 = scroller(this, kScrollText1, 50, 130, -13);
        Label1 = hotSpot(this, kLabel1);
        Label2 = hotSpot(this, kLabel2);
        Label3 = hotSpot(this, kLabel3);
        Label4 = place(this, new TLabel(this), kLabel4);
        Label4->SetAutoSize(false);
        Label4->SetTransparent(true);
        Label4->Font().SetName("Arial");
        Label4->Font().SetHeight(-15);
        Label4->Font().SetColor(clWhite);

        PopupMenu1 = new TPopupMenu(this);
        Install1 = menuItem(PopupMenu1, "Install", kInstallKeys);
        Nfo1 = menuItem(PopupMenu1, "Tarnwick.nfo", kNfoKeys);
        Quit1 = menuItem(PopupMenu1, "Quit", kQuitKeys);
        SetPopupMenu(PopupMenu1);
        Label1->SetAccessibleShortcut(kInstallKeys);
        Label2->SetAccessibleShortcut(kNfoKeys);
        Label3->SetAccessibleShortcut(kQuitKeys);

        // A black caption bar with the white bold title.
        GradientCaption1 = new TGradientCaption(this);
        TCaptionText* title = GradientCaption1->CaptionText();
        title->SetCaption("Tarnwick Installer...");
        title->SetColorActive(clWhite);
        title->SetColorInactive(clWhite);
        title->Font().SetName(kDefaultFontName);
        title->Font().SetHeight(kDefaultFontHeight);
        title->Font().SetStyle(fsBold);
        title->Font().SetColor(clBlack);
        title->SetFontKind(TFontKind::fkCustom);
        TCompanyText* company = GradientCaption1->CompanyText();
        company->Font().SetName(kDefaultFontName);
        company->Font().SetHeight(kDefaultFontHeight);
        company->Font().SetStyle(fsBold | fsItalic);
        company->Font().SetColor(clWhite);
        company->SetFontKind(TFontKind::fkCustom);
        GradientCaption1->AppNameText()->SetFontKind(TFontKind::fkSystemB);
        GradientCaption1->SetColorRightActive(clBlack);
        GradientCaption1->SetColorRightInActive(clBlack);

        ScrollText2 = scroller(this, kScrollText2, 80, 1, -11);
        ScrollText2->SetScrollDirection(TScrollDirection::sdBottomToTop);
        ScrollText2->SetItems(TStringList{"CODE/GFX by Vosk"});
    });

    Image1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        Image1MouseMove(s, sh, x, y);
    };
    Image2->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        Image2MouseMove(s, sh, x, y);
    };
    Image3->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        Image3MouseMove(s, sh, x, y);
    };
    Image4->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        Image4MouseMove(s, sh, x, y);
    };
    Label1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        Label1MouseMove(s, sh, x, y);
    };
    Label2->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        Label2MouseMove(s, sh, x, y);
    };
    Label3->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) {
        Label3MouseMove(s, sh, x, y);
    };
    Image2->OnClick = [this](TObject* s) { Image2Click(s); };
    Image3->OnClick = [this](TObject* s) { Image3Click(s); };
    Image4->OnClick = [this](TObject* s) { Image4Click(s); };
    Label1->OnClick = [this](TObject* s) { Label1Click(s); };
    Label2->OnClick = [this](TObject* s) { Label2Click(s); };
    Label3->OnClick = [this](TObject* s) { Label3Click(s); };
    Install1->OnClick = [this](TObject* s) { Install1Click(s); };
    Nfo1->OnClick = [this](TObject* s) { Nfo1Click(s); };
    Quit1->OnClick = [this](TObject* s) { Quit1Click(s); };
    OnShow = [this](TObject* s) { FormShow(s); };

    FormCreate(this);
}

void TForm1::FormCreate(TObject*) {
    LoadInstallOptions(InstallOptions);
    // The picture covers the whole client area: no background painting beneath it.
    SetBrushClear(true);
    Label4->SetCaption(InstallOptions.APPZ);
    Image2->Hide();
    Image3->Hide();
    Image4->Hide();
    // One line from the settings, or none: the stored item goes either way.
    ScrollText1->Items().SetText(InstallOptions.SCRTXT);
}

void TForm1::FormShow(TObject*) {
    ModuleHandle = 0;
    PlayHandle = 0;
    // The module beside the program, wherever the program was started from: the launcher
    // starts it in the user's folder, which the directory window offers first.
    Playmod(platform::ToNative(MusicFilePath));
}

void TForm1::Playmod(const std::string& fileName) {
    // Each failing call ends the program through MusicFailure.
    auto failed = [](bool bad) {
        if (bad) MusicFailure("TUNE ERROR");
        return bad;
    };
    if (!fileName.empty()) {
        if (PlayHandle != 0 && failed(!TUNEstopModule(PlayHandle))) return;
        PlayHandle = 0;
        if (ModuleHandle != 0 && failed(!TUNEfreeModule(ModuleHandle))) return;
        char name[512] = {};
        std::strncpy(name, fileName.c_str(), sizeof name - 1);
        ModuleHandle = TUNEloadModule(name);
        if (failed(ModuleHandle == 0)) return;
        TUNEmoduleInfo info{};
        if (failed(!TUNEgetModuleInfo(ModuleHandle, &info))) return;
    }
    PlayHandle = TUNEplayModule(ModuleHandle, 1);
    failed(PlayHandle == 0);
}

void TForm1::ShowHighlight(TImage* picture) {
    Image2->SetVisible(picture == Image2);
    Image3->SetVisible(picture == Image3);
    Image4->SetVisible(picture == Image4);
}

void TForm1::Image1MouseMove(TObject*, TShiftState, int, int) {
    ShowHighlight(nullptr);
    Label1->Font().SetColor(clWhite);
    Label2->Font().SetColor(clWhite);
    Label3->Font().SetColor(clWhite);
}

void TForm1::Image2MouseMove(TObject*, TShiftState, int, int) {
    ShowHighlight(Image2);
}
void TForm1::Image3MouseMove(TObject*, TShiftState, int, int) {
    ShowHighlight(Image3);
}
void TForm1::Image4MouseMove(TObject*, TShiftState, int, int) {
    ShowHighlight(Image4);
}
void TForm1::Label1MouseMove(TObject*, TShiftState, int, int) {
    ShowHighlight(Image2);
}
void TForm1::Label2MouseMove(TObject*, TShiftState, int, int) {
    ShowHighlight(Image3);
}
void TForm1::Label3MouseMove(TObject*, TShiftState, int, int) {
    ShowHighlight(Image4);
}

void TForm1::OpenInstall() {
    Form2->ShowModal();
}
void TForm1::OpenInformation() {
    Form4->ShowModal();
}

void TForm1::Image2Click(TObject*) {
    OpenInstall();
}
void TForm1::Label1Click(TObject*) {
    OpenInstall();
}
void TForm1::Install1Click(TObject*) {
    OpenInstall();
}
void TForm1::Image3Click(TObject*) {
    OpenInformation();
}
void TForm1::Label2Click(TObject*) {
    OpenInformation();
}
void TForm1::Nfo1Click(TObject*) {
    OpenInformation();
}
void TForm1::Image4Click(TObject*) {
    Close();
}
void TForm1::Label3Click(TObject*) {
    Close();
}
void TForm1::Quit1Click(TObject*) {
    Close();
}
