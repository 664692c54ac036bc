#include "UiTestSupport.h"

#include "addressbook/AddressBookSession.h"
#include "tests/support/TestSupport.h"
#include "ui/ContactListView.h"

#include <QApplication>
#include <QFile>
#include <QLabel>

using namespace testing_support;

QString MakeBook(const QString& dir, const QString& name, const QStringList& names) {
    // The distribution list is never listed.
    const QString entry = R"({"type": "%1", "props": [{"tag": "0x3001001E", "value": "%2"}]})";
    QStringList entries{entry.arg("distlist", "A list")};
    for (const QString& displayName : names) {
        entries << entry.arg("mailuser", displayName);
    }
    const std::string path = QFile::encodeName(dir + "/" + name + ".wab").toStdString();
    CreateBook(path, "{\"entries\": [" + entries.join(',').toStdString() + "]}");
    return dir + "/" + name + ".wab";
}

std::optional<std::string> ScriptedFileDialogs::Run(const FileDialogParams&) {
    std::optional<std::string> answer;
    if (!answers.empty()) {
        answer = std::move(answers.front());
        answers.pop_front();
    }
    return answer;
}

OpenDialog::OpenDialog(const QString& book, bool desktop) {
    m_pSession = new CAddressBookSession(QFile::encodeName(book).toStdString());
    SetFileDialogs(desktop ? nullptr : &files);
    Create();
}

OpenDialog::~OpenDialog() {
    // The items hold the session's entries.
    ContactList().DeleteAllItems();
    delete m_pSession;
    m_pSession = nullptr;
}

void OpenDialog::ClickItem(int index, bool add) {
    ContactListView& list = ContactList();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, add ? Qt::ControlModifier : Qt::NoModifier,
                      list.visualRect(list.model()->index(index, 0)).center());
}

ModalScript::ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        QWidget* modal = QApplication::activeModalWidget();
        // A window active again once a box over it has closed is not new.
        if (modal == nullptr || m_seen.contains(modal) || !modal->isVisible()) {
            return;
        }
        m_seen << modal;
        QStringList shown;
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            shown << label->text();
        }
        shown.removeAll(QString());
        titles << modal->windowTitle();
        texts << shown.join('\n');
        const Step step = m_next < m_steps.size() ? m_steps[m_next++] : nullptr;
        step ? step(modal) : QTest::keyClick(modal, Qt::Key_Escape);
    });
    m_timer.start(10);
}

ModalScript::Step ClickControl(int id) {
    return [id](QWidget* window) {
        if (auto* dialog = qobject_cast<CDialog*>(window); dialog && dialog->GetDlgItem(id)) {
            QTest::mouseClick(dialog->GetDlgItem(id), Qt::LeftButton);
        } else {
            QTest::keyClick(window, Qt::Key_Escape);
        }
    };
}
