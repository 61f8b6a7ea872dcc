#include "forms/Unit4.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "forms/InstallOptions.h"
#include "forms/Placement.h"
#include "framework/SysUtils.h"
#include "framework/Utf8.h"
#include "platform/Platform.h"

TForm4* Form4 = nullptr;

namespace {

// The message line keeps at most this many characters, as the one-line text box holds.
constexpr size_t kMessageLength = 255;

// One pixel wider than the client area: its right edge is cut off.
constexpr Placement kMemo1{0, 0, 515, 422};

}  // namespace

TForm4::TForm4(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form4");
        SetCaption("NFO");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(biSystemMenu);
        SetColor(clBtnFace);
        SetClientSize(514, 422);

        Memo1 = place(this, new TMemo(this), kMemo1);
        Memo1->SetName("Memo1");
        Memo1->SetColor(clBlack);
        Memo1->Font().SetName("Terminal");
        Memo1->Font().SetHeight(-11);
        Memo1->Font().SetColor(clWhite);
        Memo1->Font().SetCharset(OEM_CHARSET);
        Memo1->SetReadOnly(true);
        Memo1->SetScrollBars(TScrollStyle::ssBoth);
        Memo1->SetWantTabs(true);
        Memo1->SetTabOrder(0);
    });
    OnActivate = [this](TObject* s) { FormActivate(s); };
    Memo1->OnClick = [this](TObject* s) { Memo1Click(s); };
}

void TForm4::DoShow() {
    loadFailed_ = false;
    // The memo is first in the tab order: it takes the keyboard, so the keys scroll it.
    Memo1->SetFocus();
    TForm::DoShow();
}

void TForm4::FormActivate(TObject*) {
    // The error box hands the activation back when it closes; loading again would only
    // raise the same error again, so after a failure the viewer waits for its next opening.
    if (loadFailed_) return;
    const std::string path = ProgramDirectory() + InstallOptions.NFO;
    Memo1->Clear();
    try {
        // Whatever its line ends, a text three bytes longer than the memo's capacity is too
        // long for it; reading further would change nothing but the memory it takes.
        std::optional<std::string> bytes =
            ReadTextFileBytes(platform::ToNative(path), TMemo::Capacity + 3);
        if (!bytes) {
            TStringList lines;
            lines.Add(Utf8Left("Can`t load file " + InstallOptions.NFO, kMessageLength));
            Memo1->SetLines(lines);
            return;
        }
        Memo1->SetText(OemToUtf8(*bytes));
    } catch (...) {
        loadFailed_ = true;
        throw;
    }
    SetCaption(InstallOptions.NFO);
}

void TForm4::Memo1Click(TObject*) {
    Close();
}

std::optional<std::string> ReadTextFileBytes(const std::string& nativePath, size_t maxBytes) {
    if (nativePath.empty()) return std::nullopt;
    // Checked and opened in one step: what is read is the regular file that was checked.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(platform::OpenRegularFile(nativePath),
                                                       &std::fclose);
    if (!in) return std::nullopt;
    std::string text;
    char chunk[65536];
    while (text.size() < maxBytes) {
        size_t want = std::min(sizeof chunk, maxBytes - text.size());
        size_t got = std::fread(chunk, 1, want, in.get());
        if (const void* nul = std::memchr(chunk, 0, got)) {
            text.append(chunk, static_cast<size_t>(static_cast<const char*>(nul) - chunk));
            break;
        }
        text.append(chunk, got);
        if (std::ferror(in.get())) throw Exception("Stream read error");
        if (got < want) break;  // end of file
    }
    return text;
}

std::string OemToUtf8(const std::string& bytes) {
    iconv_t cd = iconv_open("UTF-8", "CP437");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Exception("Code page 437 is not available");
    // Every character of the code page takes at most three bytes in UTF-8.
    std::string out(bytes.size() * 3, '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* to = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) throw Exception("Text cannot be converted");
    out.resize(out.size() - outLeft);
    return out;
}
