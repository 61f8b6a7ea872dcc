// The installer's five windows, created once each at start-up, in this order.
#pragma once

class TApplication;

void CreateInstallerForms(TApplication& application);
