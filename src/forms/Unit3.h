// The make-directory dialog.
#pragma once

#include "framework/Forms.h"

class TForm3 : public TForm {
public:
    explicit TForm3(TComponent* owner);
};

extern TForm3* Form3;
