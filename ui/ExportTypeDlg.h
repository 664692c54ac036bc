#pragma once

#include "ui/Dialog.h"

// "Export Type?" (IDD_EXPORT_TYPE): ends with the id of the button pressed,
// which is the export kind, or IDCANCEL on Escape.
class CExportTypeDlg : public CDialog {
    Q_OBJECT

  public:
    CExportTypeDlg();

  protected:
    const MessageMap& GetMessageMap() const override;
};
