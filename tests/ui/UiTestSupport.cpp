#include "UiTestSupport.h"

#include "addressbook/AddressBookSession.h"
#include "tests/support/TestSupport.h"
#include "ui/ContactListView.h"

#include <QApplication>
#include <QFile>
#include <QLabel>

#include <cstdio>

QString MakeBook(const QString& dir, const QString& name, const QStringList& names) {
    // The list is never listed.
    QString entries =
        R"({"type": "distlist", "props": [{"tag": "0x3001001E", "value": "A list"}]})";
    for (const QString& displayName : names) {
        entries +=
            QString(R"(, {"type": "mailuser", "props": [{"tag": "0x3001001E", "value": "%1"}]})")
                .arg(displayName);
    }
    const std::string source = QFile::encodeName(dir + "/" + name + ".json").toStdString();
    const QString book = dir + "/" + name + ".wab";
    testing_support::WriteFile(source, "{\"entries\": [" + entries.toStdString() + "]}");
    const testing_support::ProgramResult r = testing_support::RunProgram(
        QUORVEL_BOOK_TOOL, {"create", QFile::encodeName(book).toStdString(), source});
    std::fputs(r.err.c_str(), stderr);
    return r.status == 0 ? book : QString();
}

std::optional<std::string> ScriptedFileDialogs::Run(const FileDialogParams& params) {
    asked << params.filter;
    std::optional<std::string> answer;
    if (!m_answers.empty()) {
        answer = std::move(m_answers.front());
        m_answers.pop_front();
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
        if (modal == nullptr || modal == m_pLast.data() || !modal->isVisible()) {
            return;
        }
        m_pLast = modal;
        QStringList shown;
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                shown << label->text();
            }
        }
        titles << modal->windowTitle();
        texts << shown.join('\n');
        const Step step = m_next < m_steps.size() ? m_steps[m_next] : nullptr;
        ++m_next;
        if (step) {
            step(modal);
        } else {
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    m_timer.start(10);
}

ModalScript::Step ClickControl(int id) {
    return [id](QWidget* window) {
        if (auto* dialog = qobject_cast<CDialog*>(window); dialog != nullptr) {
            QTest::mouseClick(dialog->GetDlgItem(id), Qt::LeftButton);
        } else {
            QTest::keyClick(window, Qt::Key_Escape);
        }
    };
}
