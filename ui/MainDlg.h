#pragma once

#include "core/ContactTypes.h"
#include "core/ExportFiles.h"
#include "platform/TextFile.h"
#include "ui/Dialog.h"
#include "ui/FileDialogs.h"
#include "ui/ProgressCtrl.h"

#include <QIcon>

#include <cstddef>
#include <cstdint>
#include <string>

class CAddressBookSession;
class ContactListView;

// The main dialog (IDD_MAIN): the contact list, the progress bar and the
// command buttons. It holds the session in use; Browse replaces it, and
// start-up deletes the last one once the dialog has closed.
class CMainDlg : public CDialog {
    Q_OBJECT

  public:
    explicit CMainDlg(QWidget* pParent = nullptr);
    ~CMainDlg() override;

    CAddressBookSession* m_pSession = nullptr;
    CProgressCtrl m_progress;
    QIcon m_hIcon;
    std::int32_t m_lastSelected = -1;

    // Message handlers.
    void OnSysCommand(unsigned nID, std::intptr_t lParam);
    void OnPaint();
    QIcon OnQueryDragIcon() const;
    void OnBrowse();
    void OnExport();
    void OnProperties();
    void OnItemChangedContactList(std::intptr_t* pResult);
    void OnExportAll();
    void OnAbout();

    ContactListView& ContactList() const;
    // The file dialogs that the commands run; the desktop's own by default.
    void SetFileDialogs(FileDialogs* dialogs);

  protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;
    const MessageMap& GetMessageMap() const override;

  private:
    bool SessionOpened() const;
    // Fills the list from the session, laying it out once at the end.
    void FillContactList();
    // The steps shared by Export and Export All.
    void ExportContacts(ExportScope scope, bool disableExportAfter);
    // Tells the person why an output file could not be opened.
    void ReportNotOpened(const FileError& error);
    // "Export Complete" for a complete export; else what is missing.
    void ReportExportDone(const ExportResult& result, const std::string& path);
    // Repaints the dialog at once, before a long run, once the window
    // manager has taken a closed dialog away from over it.
    void RedrawNow(bool wasActive);

    QtFileDialogs m_desktopDialogs;
    FileDialogs* m_pFileDialogs = &m_desktopDialogs;
};
