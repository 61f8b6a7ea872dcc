// The information-file viewer: the product's .nfo file as white OEM text on black.
#pragma once

#include <optional>
#include <string>

#include "framework/Forms.h"
#include "framework/StdCtrls.h"

class TForm4 : public TForm {
  public:
    explicit TForm4(TComponent* owner);

    TMemo* Memo1;

    void FormActivate(TObject* Sender);
    void Memo1Click(TObject* Sender);

  protected:
    void DoShow() override;

  private:
    bool loadFailed_ = false;
};

extern TForm4* Form4;

// The bytes of a text file up to its first NUL, at most maxBytes of them. Nothing when the
// file cannot be opened (missing, no rights, not a file).
std::optional<std::string> ReadTextFileBytes(const std::string& nativePath, size_t maxBytes);
// Bytes in the OEM code page (437) as UTF-8.
std::string OemToUtf8(const std::string& bytes);
