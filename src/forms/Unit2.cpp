#include "forms/Unit2.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form2");
        SetCaption("Select a Directory");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(321, 335);
    });
}
