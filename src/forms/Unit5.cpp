#include "forms/Unit5.h"

TForm5* Form5 = nullptr;

TForm5::TForm5(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form5");
        SetCaption("Prepare to Install....");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(332, 142);
    });
}
