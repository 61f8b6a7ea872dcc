// The information-file viewer.
#pragma once

#include "framework/Forms.h"

class TForm4 : public TForm {
public:
    explicit TForm4(TComponent* owner);
};

extern TForm4* Form4;
