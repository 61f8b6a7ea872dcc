// The make-directory dialog: makes a folder in the directory the list shows and moves the
// list into it.
#pragma once

#include "framework/Buttons.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

class TForm3 : public TForm {
  public:
    explicit TForm3(TComponent* owner);

    TLabel* Label1;
    TEdit* Edit1;
    TSpeedButton* SpeedButton1;  // Ok
    TSpeedButton* SpeedButton2;  // Cancel

    void FormActivate(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
};

extern TForm3* Form3;
