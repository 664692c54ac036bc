#pragma once

#include "ui/Dialog.h"

// The About box (IDD_ABOUTBOX): the program icon and OK.
class CAboutDlg : public CDialog {
    Q_OBJECT

  public:
    CAboutDlg();
};
