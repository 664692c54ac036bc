#include "ui/MainDlg.h"

#include "addressbook/AddressBookSession.h"
#include "core/ExportFiles.h"
#include "platform/FileError.h"
#include "ui/AboutDlg.h"
#include "ui/ContactListView.h"
#include "ui/ExportDoneDlg.h"
#include "ui/ExportTypeDlg.h"
#include "ui/IconPlacement.h"
#include "ui/QuitOnSignal.h"
#include "ui/Resource.h"
#include "ui/resources/MainIcon.h"
#include "ui/resources/StringTable.h"

#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QProgressBar>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace {

// The system's standard icon size.
constexpr int kIconSize = 32;

// Contacts that could not be read are named in the message up to this many.
constexpr std::size_t kUnreadNamed = 5;

// A contact's name as a message shows it: on one line, and cut short.
QString MessageName(const QString& name) {
    constexpr qsizetype kLongest = 80;
    const QString line = name.simplified();
    return line.size() <= kLongest ? line : line.left(kLongest - 1) + QChar(0x2026);
}

// How long an export waits for the window to be active again before it
// paints the window and starts.
constexpr int kActivationWaitMs = 500;

CMainDlg& Self(CDialog& dialog) {
    return static_cast<CMainDlg&>(dialog);
}

const MessageMapEntry kMessageMap[] = {
    {WM_SYSCOMMAND, 0, 0,
     [](CDialog& d, MessageArgs& m) {
         Self(d).OnSysCommand(static_cast<unsigned>(m.wParam), m.lParam);
     }},
    {WM_PAINT, 0, 0, [](CDialog& d, MessageArgs&) { Self(d).OnPaint(); }},
    {WM_QUERYDRAGICON, 0, 0,
     [](CDialog& d, MessageArgs& m) {
         m.result = static_cast<std::intptr_t>(Self(d).OnQueryDragIcon().cacheKey());
     }},
    {WM_COMMAND, BN_CLICKED, IDC_BROWSE, [](CDialog& d, MessageArgs&) { Self(d).OnBrowse(); }},
    {WM_COMMAND, BN_CLICKED, IDC_EXPORT, [](CDialog& d, MessageArgs&) { Self(d).OnExport(); }},
    {WM_COMMAND, BN_CLICKED, IDC_PROPERTIES,
     [](CDialog& d, MessageArgs&) { Self(d).OnProperties(); }},
    {WM_NOTIFY, LVN_ITEMCHANGED, IDC_CONTACT_LIST,
     [](CDialog& d, MessageArgs& m) { Self(d).OnItemChangedContactList(&m.result); }},
    {WM_COMMAND, BN_CLICKED, IDC_EXPORT_ALL,
     [](CDialog& d, MessageArgs&) { Self(d).OnExportAll(); }},
    {WM_COMMAND, BN_CLICKED, IDC_ABOUT, [](CDialog& d, MessageArgs&) { Self(d).OnAbout(); }},
};

}  // namespace

CMainDlg::CMainDlg(QWidget* pParent) : CDialog(MainDialogTemplate(), pParent) {
    m_hIcon = LoadMainIcon();
}

// Start-up deletes the session the dialog holds at the end; Browse replaces it.
CMainDlg::~CMainDlg() = default;

const MessageMap& CMainDlg::GetMessageMap() const {
    static const MessageMap map{kMessageMap, static_cast<int>(std::size(kMessageMap))};
    return map;
}

void CMainDlg::DoDataExchange() {
    m_progress.Attach(qobject_cast<QProgressBar*>(GetDlgItem(IDC_PROGRESS)));
}

ContactListView& CMainDlg::ContactList() const {
    return *static_cast<ContactListView*>(GetDlgItem(IDC_CONTACT_LIST));
}

void CMainDlg::SetFileDialogs(FileDialogs* dialogs) {
    m_pFileDialogs = dialogs != nullptr ? dialogs : &m_desktopDialogs;
}

BOOL CMainDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    if (QMenu* pSysMenu = GetSystemMenu(); pSysMenu != nullptr) {
        const QString about = LoadResourceString(IDS_ABOUTBOX);
        if (!about.isEmpty()) {
            pSysMenu->addSeparator();
            pSysMenu->addAction(about)->setData(IDM_ABOUTBOX);
        }
    }

    // The same icon serves as the big and the small one.
    setWindowIcon(m_hIcon);

    if (SessionOpened()) {
        FillContactList();
    }
    return TRUE;
}

bool CMainDlg::SessionOpened() const {
    return m_pSession != nullptr && m_pSession->m_bOpened;
}

void CMainDlg::FillContactList() {
    ContactListView& list = ContactList();
    list.BeginFill();
    const HRESULT filled = [&] {
        const BusyOutsideLoop busy;
        return m_pSession->FillList(list);
    }();
    list.EndFill();
    if (FAILED(filled)) {
        // Told once, over the window, when the window is up.
        QTimer::singleShot(0, this, [this, listed = list.GetItemCount()] {
            ShowMessage(this, QMessageBox::Warning,
                        tr("The address book could be read only in part. Contacts listed: %1.")
                            .arg(listed));
        });
    }
}

void CMainDlg::OnSysCommand(unsigned nID, std::intptr_t lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        OnAbout();
        return;
    }
    MessageArgs args;
    args.wParam = nID;
    args.lParam = lParam;
    Default(WM_SYSCOMMAND, 0, 0, args);
}

void CMainDlg::OnPaint() {
    if (!isMinimized()) {
        MessageArgs args;
        Default(WM_PAINT, 0, 0, args);
        return;
    }
    QPainter dc(this);
    dc.fillRect(rect(), palette().window());
    const IconPosition at = CenteredIconPosition(width(), height(), kIconSize, kIconSize);
    m_hIcon.paint(&dc, QRect(at.x, at.y, kIconSize, kIconSize));
}

QIcon CMainDlg::OnQueryDragIcon() const {
    return m_hIcon;
}

void CMainDlg::OnAbout() {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
}

void CMainDlg::OnBrowse() {
    const std::optional<std::string> path = m_pFileDialogs->Run(kAddressBookDialog);
    if (!path) {
        return;
    }
    // The new book replaces the current one only once it has opened.
    std::unique_ptr<CAddressBookSession> session;
    {
        const BusyOutsideLoop busy;
        session = std::make_unique<CAddressBookSession>(*path);
    }
    if (!session->m_bOpened) {
        QString text = tr("The file \"%1\" could not be opened as an address book.")
                           .arg(QString::fromLocal8Bit(path->c_str()));
        if (!session->OpenError().empty()) {
            text += QLatin1Char('\n') + QString::fromLocal8Bit(session->OpenError().c_str());
        }
        ShowMessage(this, QMessageBox::Warning, text);
        return;
    }
    // The items hold the old session's entries: remove them before it goes.
    ContactList().DeleteAllItems();
    delete m_pSession;
    m_pSession = session.release();
    FillContactList();
}

void CMainDlg::OnExport() {
    ExportContacts(LVNI_SELECTED, true);
}

void CMainDlg::OnExportAll() {
    ExportContacts(LVNI_ALL, false);
}

void CMainDlg::ReportNotOpened(const FileError& error) {
    const QString name = QString::fromLocal8Bit(error.path().c_str());
    if (error.isTheBook()) {
        ShowMessage(this, QMessageBox::Critical,
                    tr("The file \"%1\" is the address book being read. It was not "
                       "changed; choose another file to export to.")
                        .arg(name));
        return;
    }
    ShowMessage(this, QMessageBox::Critical,
                tr("The file \"%1\" could not be opened for writing.\n%2")
                    .arg(name, QString::fromStdString(error.reason())));
}

void CMainDlg::RedrawNow(bool wasActive) {
    // A window manager takes the closed file dialog's frame away a moment
    // later, and only then may the window be drawn where the dialog was: a
    // window that was active when the command began is waited for (handling
    // the window system's events, never the person's input) until it is
    // active again, for half a second at most.
    if (wasActive && !isActiveWindow()) {
        QEventLoop loop;
        QTimer::singleShot(kActivationWaitMs, &loop, &QEventLoop::quit);
        connect(qGuiApp, &QGuiApplication::focusWindowChanged, &loop, [this, &loop] {
            if (isActiveWindow()) {
                loop.quit();
            }
        });
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    repaint();
}

void CMainDlg::ExportContacts(ExportScope scope, bool disableExportAfter) {
    if (!SessionOpened()) {
        return;
    }
    const bool wasActive = isActiveWindow();
    CExportTypeDlg typeDlg;
    const int chosen = typeDlg.DoModal();
    if (chosen != IDC_EXPORT_CSV_SPLIT && chosen != IDC_EXPORT_VCARD && chosen != IDC_EXPORT_CSV) {
        // Escape: no kind chosen, nothing to write.
        return;
    }
    const auto kind = static_cast<ExportKind>(chosen);
    TextFile file;
    std::string dataPath;
    // Once the data file is open the run writes without the event loop.
    std::optional<BusyOutsideLoop> writing;
    const auto open = [&](ExportFile part) -> OpenedFile {
        if (part == ExportFile::Data && kind == ExportKind::CsvSplit) {
            RedrawNow(wasActive);  // the header file is written
        }
        const FileDialogParams& dialog = part == ExportFile::Header   ? kHeaderFileDialog
                                         : kind == ExportKind::VCards ? kVCardFileDialog
                                                                      : kCsvFileDialog;
        const std::optional<std::string> path = m_pFileDialogs->Run(dialog);
        if (!path) {
            return {};
        }
        // A regular file is replaced only once the new one is whole.
        FileError error(*path, 0);
        if (!file.Open(*path, &error, m_pSession->BookIdentity(), WriteMode::Replace)) {
            return {nullptr, error};
        }
        if (part == ExportFile::Data) {
            dataPath = *path;
            RedrawNow(wasActive);
            if (QuitOnSignal::Signal() != 0) {
                return {};  // asked to quit while the window was drawn
            }
            writing.emplace();
        }
        return {&file, std::nullopt};
    };
    const ExportResult result =
        ExportToFiles(kind, open, ContactList(), scope, m_progress, *m_pSession);
    writing.reset();
    if (result.end == ExportEnd::NotOpened) {
        ReportNotOpened(*result.openError);
    }
    if (result.end != ExportEnd::Written) {
        return;
    }
    if (disableExportAfter) {
        GetDlgItem(IDC_EXPORT)->setEnabled(false);
    }
    ReportExportDone(result, dataPath);
}

void CMainDlg::ReportExportDone(const ExportResult& result, const std::string& path) {
    const std::size_t leftOut = result.unread.size();
    if (leftOut == 0) {
        CExportDoneDlg doneDlg;
        doneDlg.DoModal();
        return;
    }
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    QString text = (leftOut == 1 ? tr("Export finished, but %1 of %2 contacts could not be read "
                                      "and is missing from %3")
                                 : tr("Export finished, but %1 of %2 contacts could not be read "
                                      "and are missing from %3"))
                       .arg(leftOut)
                       .arg(result.covered)
                       .arg(name);
    if (leftOut <= kUnreadNamed) {
        // One per line, under the sentence.
        text += QLatin1Char(':');
        for (const int index : result.unread) {
            text += QLatin1Char('\n') + MessageName(ContactList().ItemText(index));
        }
    }
    ShowMessage(this, QMessageBox::Warning, text);
}

void CMainDlg::OnProperties() {
    if (!SessionOpened()) {
        return;
    }
    const ContactListView& list = ContactList();
    const HRESULT shown = m_pSession->ShowDetails(list);
    if (FAILED(shown)) {
        const QString name = MessageName(list.ItemText(list.GetNextItem(-1, LVNI_SELECTED)));
        ShowMessage(this, QMessageBox::Warning,
                    (shown == MAPI_E_NO_SUPPORT
                         ? tr("The properties of \"%1\" cannot be shown: no details window is "
                              "installed.")
                         : tr("The properties of \"%1\" cannot be shown: the contact could not "
                              "be read."))
                        .arg(name));
    }
}

void CMainDlg::OnItemChangedContactList(std::intptr_t* pResult) {
    if (!SessionOpened()) {
        return;
    }
    const ContactListView& list = ContactList();
    // Forward only: the first selected item after the one last chosen.
    int index = list.GetNextItem(m_lastSelected, LVNI_SELECTED);
    if (index == m_lastSelected) {
        index = list.GetNextItem(index, LVNI_SELECTED);
    }
    if (index == -1) {
        return;
    }
    m_pSession->SelectEntry(list, index);
    m_pSession->ReadProperties();
    m_lastSelected = index;
    GetDlgItem(IDC_EXPORT)->setEnabled(index >= 0);
    *pResult = 0;
}
