// The extraction window: unpacks the archive into the chosen directory.
#pragma once

#include "framework/Forms.h"

class TForm5 : public TForm {
public:
    explicit TForm5(TComponent* owner);
};

extern TForm5* Form5;
