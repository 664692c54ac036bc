#include "ui/ConverterApp.h"

#include "addressbook/AddressBookSession.h"
#include "platform/StandardOutput.h"
#include "ui/ContactListView.h"
#include "ui/MainDlg.h"
#include "ui/QuitOnSignal.h"

#include <sys/stat.h>

#include <iostream>
#include <memory>

bool IsSlashFlag(std::string_view argument) {
    if (argument.empty() || argument.front() != '/' ||
        argument.find_first_of("/.", 1) != std::string_view::npos) {
        return false;
    }
    struct stat info;
    return stat(std::string(argument).c_str(), &info) != 0;
}

bool IsCommandLineFlag(std::string_view argument) {
    return (!argument.empty() && argument.front() == '-') || IsSlashFlag(argument);
}

void ParseCommandLine(const std::vector<std::string>& arguments, CCommandLineInfo& info) {
    for (const std::string& argument : arguments) {
        if (!IsCommandLineFlag(argument) && info.m_strFileName.empty()) {
            info.m_strFileName = argument;
        }
    }
}

BOOL CConverterApp::InitInstance(const std::vector<std::string>& arguments) {
    auto dlg = std::make_unique<CMainDlg>(nullptr);
    m_pMainWnd = dlg.get();
    m_nExitCode = 0;

    CCommandLineInfo cmdInfo;
    ParseCommandLine(arguments, cmdInfo);

    {
        const BusyOutsideLoop busy;
        dlg->m_pSession = new CAddressBookSession(cmdInfo.m_strFileName);
    }
    if (dlg->m_pSession->m_bOpened) {
        dlg->DoModal();
    } else {
        const std::string name =
            cmdInfo.m_strFileName.empty() ? "the default address book" : cmdInfo.m_strFileName;
        const std::string& reason = dlg->m_pSession->OpenError();
        std::cerr << "quorvel: "
                  << OneLine("cannot open " + name + " as an address book" +
                             (reason.empty() ? "" : ": ") + reason)
                  << "\n";
        m_nExitCode = 1;
    }
    // The list's items hold the session's entries: remove them first.
    dlg->ContactList().DeleteAllItems();
    delete dlg->m_pSession;
    dlg->m_pSession = nullptr;

    m_pMainWnd = nullptr;
    dlg.reset();
    return FALSE;
}
