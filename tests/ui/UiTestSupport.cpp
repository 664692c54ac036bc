#include "UiTestSupport.h"

#include "tests/support/TestSupport.h"
#include "ui/Dialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <cstdio>

QString MakeBook(const QString& dir, const QString& name, const QStringList& names) {
    QStringList entries;
    for (const QString& displayName : names) {
        entries << QString(R"({"type": "mailuser", "props": [{"tag": "0x3001001E", "value": "%1"},)"
                           R"( {"tag": "0x3003001E", "value": "%2@example.org"}]})")
                       .arg(displayName, displayName.toLower().remove(' '));
    }
    if (!names.isEmpty()) {  // never listed
        entries << R"({"type": "distlist", "props": [{"tag": "0x3001001E", "value": "A list"}]})";
    }
    const std::string source = QFile::encodeName(dir + "/" + name + ".json").toStdString();
    const QString book = dir + "/" + name + ".wab";
    testing_support::WriteFile(source, "{\"entries\": [" + entries.join(',').toStdString() + "]}");
    const testing_support::ProgramResult r = testing_support::RunProgram(
        QUORVEL_BOOK_TOOL, {"create", "--force", QFile::encodeName(book).toStdString(), source});
    std::fputs(r.err.c_str(), stderr);
    return r.status == 0 ? book : QString();
}

std::optional<std::string> ScriptedFileDialogs::Run(const FileDialogParams& params) {
    asked << params.filter;
    if (m_answers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = std::move(m_answers.front());
    m_answers.pop_front();
    return answer;
}

ModalScript::ModalScript(std::vector<Step> steps) : m_steps(std::move(steps)) {
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    m_timer.start(10);
}

void ModalScript::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == m_pLast.data() || !modal->isVisible()) {
        return;
    }
    m_pLast = modal;
    QStringList shown;
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr) {
        shown << box->text();
    } else {
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                shown << label->text();
            }
        }
    }
    titles << modal->windowTitle();
    texts << shown.join('\n');
    if (m_next < m_steps.size()) {
        m_steps[m_next++](modal);
    } else {
        QTest::keyClick(modal, Qt::Key_Escape);
    }
}

ModalScript::Step ClickControl(int id) {
    return [id](QWidget* window) {
        auto* dialog = qobject_cast<CDialog*>(window);
        if (auto* button =
                qobject_cast<QPushButton*>(dialog != nullptr ? dialog->GetDlgItem(id) : nullptr)) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    };
}

ModalScript::Step ClickButton(const QString& text) {
    return [text](QWidget* window) {
        for (QPushButton* button : window->findChildren<QPushButton*>()) {
            if (button->text().remove('&') == text) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
    };
}
