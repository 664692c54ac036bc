#include "ui/ExportDoneDlg.h"

CExportDoneDlg::CExportDoneDlg() : CDialog(ExportDoneTemplate(), nullptr) {}
