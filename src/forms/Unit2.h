// The directory selection window: where to install.
#pragma once

#include "framework/Forms.h"

class TForm2 : public TForm {
public:
    explicit TForm2(TComponent* owner);
};

extern TForm2* Form2;
