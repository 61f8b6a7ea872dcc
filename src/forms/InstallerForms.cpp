#include "forms/InstallerForms.h"

#include "forms/Unit1.h"
#include "forms/Unit2.h"
#include "forms/Unit3.h"
#include "forms/Unit4.h"
#include "forms/Unit5.h"
#include "framework/Application.h"

void CreateInstallerForms(TApplication& application) {
    application.CreateForm(Form1);
    application.CreateForm(Form2);
    application.CreateForm(Form3);
    application.CreateForm(Form4);
    application.CreateForm(Form5);
}
