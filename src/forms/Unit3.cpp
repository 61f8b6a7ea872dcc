#include "forms/Unit3.h"

TForm3* Form3 = nullptr;

TForm3::TForm3(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form3");
        SetCaption("Make directory");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(282, 101);
    });
}
