// The directory selection window: where to install, with the space free on the chosen
// drive against the space the game needs.
#pragma once

#include <string>

#include "components/FileCtrl.h"
#include "framework/Buttons.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

class TForm2 : public TForm {
  public:
    explicit TForm2(TComponent* owner);

    TDriveComboBox* DriveComboBox1;
    TDirectoryListBox* DirectoryListBox1;
    TBevel* Bevel1;
    TLabel* Label1;
    TLabel* Label2;
    TLabel* Label3;              // space free; its colour tells whether it is enough
    TLabel* Label4;              // space required
    TSpeedButton* SpeedButton1;  // Install
    TSpeedButton* SpeedButton2;  // Make Dir
    TSpeedButton* SpeedButton3;  // Cancel
    TImage* Image2;

    void FormActivate(TObject* Sender);
    void DriveComboBox1Change(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    void SpeedButton3Click(TObject* Sender);
};

extern TForm2* Form2;

// Total and available bytes of the volume holding root. A failed query reports no space.
void QueryDiskSpace(const std::string& root, double& totalBytes, double& availableBytes);
// "12 Mb" above one megabyte, "1024 Kb" up to it; whole numbers, halves rounded up.
std::string SizeText(double bytes);
// x rounded to the nearest whole number, halves up, as the size texts print it.
double RoundHalfUp(double x);
