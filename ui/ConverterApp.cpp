#include "ui/ConverterApp.h"

#include "addressbook/AddressBookSession.h"
#include "ui/ContactListView.h"
#include "ui/MainDlg.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <iostream>
#include <memory>

bool IsCommandLineFlag(const QString& argument) {
    if (argument.startsWith(QLatin1Char('-'))) {
        return true;
    }
    // "/x" is a flag; an absolute path such as "/home/me/book.wab" is a name.
    return argument.startsWith(QLatin1Char('/')) && argument.indexOf(QLatin1Char('/'), 1) < 0 &&
           !QFileInfo::exists(argument);
}

void ParseCommandLine(const QStringList& arguments, CCommandLineInfo& info) {
    for (const QString& argument : arguments) {
        if (!IsCommandLineFlag(argument) && info.m_strFileName.empty()) {
            info.m_strFileName = argument.toLocal8Bit().toStdString();
        }
    }
}

BOOL CConverterApp::InitInstance() {
    return InitInstance(QCoreApplication::arguments().mid(1));
}

BOOL CConverterApp::InitInstance(const QStringList& arguments) {
    auto dlg = std::make_unique<CMainDlg>(nullptr);
    m_pMainWnd = dlg.get();
    m_nExitCode = 0;

    CCommandLineInfo cmdInfo;
    ParseCommandLine(arguments, cmdInfo);

    dlg->m_pSession = new CAddressBookSession(cmdInfo.m_strFileName);
    if (dlg->m_pSession->m_bOpened) {
        dlg->DoModal();
    } else {
        const std::string name =
            cmdInfo.m_strFileName.empty() ? "the default address book" : cmdInfo.m_strFileName;
        const std::string& reason = dlg->m_pSession->OpenError();
        std::cerr << "quorvel: cannot open " << name << " as an address book"
                  << (reason.empty() ? "" : ": ") << reason << "\n";
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
