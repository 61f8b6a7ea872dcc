#include "forms/Unit5.h"

#include <algorithm>
#include <climits>

#include "forms/InstallOptions.h"
#include "forms/Placement.h"
#include "forms/Unit2.h"
#include "framework/Application.h"
#include "framework/Dialogs.h"
#include "framework/SysUtils.h"
#include "platform/Platform.h"

TForm5* Form5 = nullptr;

namespace {

constexpr Placement kLabel1{15, 8, 50, 13};
constexpr Placement kSpeedButton1{14, 109, 105, 22};
constexpr Placement kSpeedButton2{214, 109, 105, 22};
constexpr Placement kLabel2{16, 57, 55, 13};
constexpr Placement kGauge1{15, 28, 303, 16};
constexpr Placement kGauge2{15, 78, 304, 16};

}  // namespace

TForm5::TForm5(TComponent* owner) : TForm(owner) {
    ReadState([this] {
        SetName("Form5");
        SetCaption("Prepare to Install....");
        SetBorderStyle(TFormBorderStyle::bsSingle);
        SetBorderIcons(0);
        SetClientSize(332, 142);
        Font().SetColor(clBlack);

        Label1 = place(this, new TLabel(this), kLabel1);
        Label1->Font().SetColor(clBlack);
        Label1->SetCaption("File Name:");
        SpeedButton1 = place(this, new TSpeedButton(this), kSpeedButton1);
        SpeedButton1->Font().SetColor(clBlack);
        SpeedButton1->SetCaption("&Extract");
        SpeedButton2 = place(this, new TSpeedButton(this), kSpeedButton2);
        SpeedButton2->Font().SetColor(clBlack);
        SpeedButton2->SetCaption("&Cancel");
        Label2 = place(this, new TLabel(this), kLabel2);
        Label2->Font().SetColor(clBlack);
        Label2->SetCaption("Processing:");
        Gauge1 = place(this, new TGauge(this), kGauge1);
        Gauge1->SetColor(clRed);
        Gauge2 = place(this, new TGauge(this), kGauge2);
        Gauge2->SetColor(clBlack);
        RAR1 = new TRAR(this);
        RAR1->SetName("RAR1");
    });
    OnActivate = [this](TObject* s) { FormActivate(s); };
    SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
    SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
    RAR1->OnProcessData = [this](TObject* s, unsigned char* a, int n, int64_t p) {
        return RAR1ProcessData(s, a, n, p);
    };
    RAR1->OnVolumeChange = [this](TObject* s, char* name, int mode) {
        return RAR1VolumeChange(s, name, mode);
    };
    RAR1->OnExtracting = [this](TObject* s, RARHeaderData& h) { RAR1Extracting(s, h); };
    RAR1->OnError = [this](TObject* s, int e) { RAR1Error(s, e); };
}

std::string TForm5::fmtNome(const std::string& S) {
    // Up to the first NUL. Unlike ExtractFileName a colon does not separate: a volume's
    // native name may hold one.
    std::string path(S.c_str());
    return path.substr(path.rfind('\\') + 1);
}

void TForm5::EnableButtons() {
    SpeedButton1->SetEnabled(true);
    SpeedButton2->SetEnabled(true);
}

void TForm5::FormActivate(TObject*) {
    // A disk prompt closing in the middle of a run brings the activation back: the run in
    // progress keeps its state, and no second run may start.
    if (running_) return;
    RAR1->SetArchiveName(ProgramDirectory() + InstallOptions.FILERAR);
    aborted_ = false;
    Gauge1->SetProgress(0);
    Gauge2->SetMinValue(0);
    Gauge2->SetMaxValue(StrToInt(InstallOptions.FILES) - 1);
    EnableButtons();
}

void TForm5::SpeedButton1Click(TObject*) {
    if (running_ || TRAR::Running()) return;
    SpeedButton1->SetEnabled(false);
    SpeedButton2->SetEnabled(true);
    RAR1->SetTargetDir(Form2->DirectoryListBox1->CurrentDir());
    SetCaption("Extracting");
    failures_.clear();
    // A stop request can only come from a Cancel during this run.
    RAR1->SetStop(false);
    running_ = true;
    messages_.Restart();
    try {
        RAR1->Extract();
    } catch (...) {
        running_ = false;
        EnableButtons();
        throw;
    }
    running_ = false;

    // A target too long for any entry is refused before the archive is opened: that is a
    // failure of the installation, not an archive that cannot be loaded.
    bool targetRefused = failures_ == std::vector<int>{ERAR_ECREATE};
    if (!RAR1->Opened() && !targetRefused) {
        MessageDlg("Can`t load file " + InstallOptions.FILERAR, TMsgDlgType::mtWarning, mbOK);
        // Nothing was installed: the user may try again or cancel.
        if (!aborted_) EnableButtons();
        return;
    }
    if (aborted_) {
        Close();
        return;
    }
    if (!failures_.empty()) {
        MessageDlg(FailureText(failures_), TMsgDlgType::mtWarning, mbOK);
        EnableButtons();
        return;
    }
    CompleteInstallation();
}

void TForm5::CompleteInstallation() {
    Form2->Close();
    Close();
    MessageDlg("Install Completed!", TMsgDlgType::mtInformation, mbOK);
    if (InstallOptions.REG != "NONE") platform::ShellOpen(RegFilePath);
    platform::ShellOpen(RAR1->TargetDir());
}

void TForm5::SpeedButton2Click(TObject*) {
    SpeedButton1->SetEnabled(true);
    SpeedButton2->SetEnabled(false);
    // Only a run in progress is asked to stop; a request left pending would end the next
    // run at once.
    if (running_) RAR1->SetStop(true);
    aborted_ = true;
    Close();
    Form2->Show();
    Form2->SetCaption("Install Aborted!");
}

int TForm5::RAR1VolumeChange(TObject*, char* ArcName, int Mode) {
    if (Mode == RAR_VOL_ASK) {
        int answer = MessageDlg(std::string("Insert the disk with ") + ArcName,
                                TMsgDlgType::mtInformation, mbOK | mbCancel);
        if (answer != mrOk) {
            // The way out of a disk that never comes: cancel the installation.
            SpeedButton2Click(this);
            return 0;
        }
    }
    Gauge2->SetProgress(Gauge2->Progress() + 1);
    return 1;
}

void TForm5::RAR1Extracting(TObject*, RARHeaderData& eFile) {
    Label1->SetCaption(std::string("File Name: ") + eFile.FileName);
    Gauge1->SetMinValue(0);
    Gauge1->SetProgress(0);
    uint64_t size = RAR1->EntrySize();
    gaugeShift_ = 0;
    while ((size >> gaugeShift_) > static_cast<uint64_t>(INT_MAX)) ++gaugeShift_;
    Gauge1->SetMaxValue(static_cast<int>(size >> gaugeShift_));
    messages_.ProcessMessages();
    Label2->SetCaption("Archive: " + fmtNome(eFile.ArcName));
}

int TForm5::RAR1ProcessData(TObject*, unsigned char*, int, int64_t Position) {
    Gauge1->SetProgress(static_cast<int>(std::min<int64_t>(Position >> gaugeShift_, INT_MAX)));
    messages_.ProcessMessages();
    return 1;
}

void TForm5::RAR1Error(TObject*, int Error) {
    failures_.push_back(Error);
}

std::string TForm5::FailureText(const std::vector<int>& codes) {
    std::vector<std::string> reasons;
    for (int code : codes) {
        std::string r;
        switch (code) {
            case ERAR_BAD_DATA:
                r = "the archive is damaged";
                break;
            case ERAR_BAD_ARCHIVE:
            case ERAR_UNKNOWN_FORMAT:
                r = "the file is not a valid archive";
                break;
            case ERAR_ECREATE:
                r = "a file could not be created in the target directory";
                break;
            case ERAR_EWRITE:
                r = "the disk is full or cannot be written";
                break;
            case ERAR_EOPEN:
                r = "a volume of the archive could not be opened";
                break;
            case ERAR_EREAD:
                r = "the archive could not be read";
                break;
            case ERAR_MISSING_PASSWORD:
                r = "the archive needs a password";
                break;
            case ERAR_BAD_PASSWORD:
                r = "the password is wrong";
                break;
            case ERAR_NO_MEMORY:
                r = "there is not enough memory";
                break;
            case ERAR_NO_FILES:
                r = "the archive holds no files";
                break;
            default:
                r = Format("error %d", code);
                break;
        }
        if (std::find(reasons.begin(), reasons.end(), r) == reasons.end()) reasons.push_back(r);
    }
    std::string text = "Install failed: ";
    for (size_t i = 0; i < reasons.size(); ++i) text += (i ? "; " : "") + reasons[i];
    return text + ".";
}
