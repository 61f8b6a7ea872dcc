// The main window: a picture with three hot-spots (install, information, exit), the
// application name, a marquee, a credits scroller and a painted caption.
#pragma once

#include <cstdint>
#include <string>

#include "components/GradientCaption.h"
#include "components/ScrollText.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

class TForm1 : public TForm {
  public:
    explicit TForm1(TComponent* owner);

    // Controls in creation order, which is also their stacking order (later ones on top).
    TImage* Image1;            // background
    TImage* Image2;            // install highlight
    TImage* Image4;            // exit highlight
    TImage* Image3;            // information highlight
    TScrollText* ScrollText1;  // marquee
    TLabel* Label1;            // install hot-spot
    TLabel* Label2;            // information hot-spot
    TLabel* Label3;            // exit hot-spot
    TLabel* Label4;            // application name line
    TPopupMenu* PopupMenu1;
    TMenuItem* Install1;
    TMenuItem* Nfo1;
    TMenuItem* Quit1;
    TGradientCaption* GradientCaption1;
    TScrollText* ScrollText2;  // credits

    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void Image1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Image2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Image3MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Image4MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label2MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Label3MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void Image2Click(TObject* Sender);
    void Image3Click(TObject* Sender);
    void Image4Click(TObject* Sender);
    void Label1Click(TObject* Sender);
    void Label2Click(TObject* Sender);
    void Label3Click(TObject* Sender);
    void Install1Click(TObject* Sender);
    void Nfo1Click(TObject* Sender);
    void Quit1Click(TObject* Sender);
    // Loads a module (a non-empty name) and plays it in a loop.
    void Playmod(const std::string& fileName);

  private:
    // Shows exactly one highlight picture, or none.
    void ShowHighlight(TImage* picture);
    void OpenInstall();
    void OpenInformation();

    uint32_t ModuleHandle = 0;
    uint32_t PlayHandle = 0;
};

extern TForm1* Form1;
