#pragma once

#include "ui/Dialog.h"

// "Export Complete" (IDD_EXPORT_DONE), closed with OK.
class CExportDoneDlg : public CDialog {
    Q_OBJECT

  public:
    CExportDoneDlg();
};
