#include "forms/Unit4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form4");
        SetCaption("NFO");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(biSystemMenu);
        SetClientSize(514, 422);
    });
}
