#include "ui/ExportTypeDlg.h"

#include "ui/Resource.h"

namespace {

template <int Id>
void EndWithId(CDialog& dialog, MessageArgs& /*args*/) {
    dialog.EndDialog(Id);
}

const MessageMapEntry kMessageMap[] = {
    {WM_COMMAND, BN_CLICKED, IDC_EXPORT_CSV_SPLIT, EndWithId<IDC_EXPORT_CSV_SPLIT>},
    {WM_COMMAND, BN_DOUBLECLICKED, IDC_EXPORT_CSV_SPLIT, EndWithId<IDC_EXPORT_CSV_SPLIT>},
    {WM_COMMAND, BN_CLICKED, IDC_EXPORT_VCARD, EndWithId<IDC_EXPORT_VCARD>},
    {WM_COMMAND, BN_DOUBLECLICKED, IDC_EXPORT_VCARD, EndWithId<IDC_EXPORT_VCARD>},
    {WM_COMMAND, BN_CLICKED, IDC_EXPORT_CSV, EndWithId<IDC_EXPORT_CSV>},
    {WM_COMMAND, BN_DOUBLECLICKED, IDC_EXPORT_CSV, EndWithId<IDC_EXPORT_CSV>},
};

}  // namespace

CExportTypeDlg::CExportTypeDlg() : CDialog(ExportTypeTemplate(), nullptr) {}

const MessageMap& CExportTypeDlg::GetMessageMap() const {
    static const MessageMap map{kMessageMap, static_cast<int>(std::size(kMessageMap))};
    return map;
}
