// installerreport.h - the data layer's failures in the application message
// box: stop icon, OK only, no help context. The program installs one at
// start-up (SetInstallerReporter).
#pragma once

#include "afxwin.h"
#include "installer_errors.h"

class MessageBoxReporter : public InstallerReporter
{
public:
    void Show(const CString &message) override { AfxMessageBox(message, MB_OK | MB_ICONSTOP, 0); }
};
