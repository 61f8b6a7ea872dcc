// The extraction window: unpacks the archive into the chosen directory with a gauge for
// the entry and one for the volumes, asks for disks, and finishes the installation.
#pragma once

#include <string>
#include <vector>

#include "components/Gauges.h"
#include "components/RARArc.h"
#include "forms/MessagePacing.h"
#include "framework/Buttons.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

class TForm5 : public TForm {
  public:
    explicit TForm5(TComponent* owner);

    TLabel* Label1;
    TSpeedButton* SpeedButton1;  // Extract
    TSpeedButton* SpeedButton2;  // Cancel
    TLabel* Label2;
    TGauge* Gauge1;  // bytes of the entry being unpacked
    TGauge* Gauge2;  // volumes
    TRAR* RAR1;

    void FormActivate(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    int RAR1VolumeChange(TObject* Sender, char* ArcName, int Mode);
    void RAR1Extracting(TObject* Sender, RARHeaderData& eFile);
    int RAR1ProcessData(TObject* Sender, unsigned char* Addr, int BlockSize, int64_t Position);
    // The last component of a platform path.
    static std::string fmtNome(const std::string& S);

    bool Aborted() const { return aborted_; }
    bool Running() const { return running_; }
    // Why a run failed, in words, for a list of library result codes.
    static std::string FailureText(const std::vector<int>& codes);

  private:
    void RAR1Error(TObject* Sender, int Error);
    void CompleteInstallation();
    void EnableButtons();

    bool aborted_ = false;
    bool running_ = false;
    std::vector<int> failures_;
    TMessagePacing messages_;  // the run's passes over the message queue
    int gaugeShift_ = 0;       // entries beyond the gauge's range are shown in larger units
};

extern TForm5* Form5;
