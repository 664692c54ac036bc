#include "UiTestSupport.h"

#include "tests/support/TestSupport.h"
#include "ui/Dialog.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <nlohmann/json.hpp>

#include <cstdio>

QString MakeBook(const QString& dir, const QString& name,
                 const std::vector<TestContact>& contacts) {
    const auto entry = [](const char* type, const std::string& displayName) {
        return nlohmann::json{
            {"type", type},
            {"props", nlohmann::json::array({{{"tag", "0x3001001E"}, {"value", displayName}}})}};
    };
    nlohmann::json entries = nlohmann::json::array();
    for (const TestContact& c : contacts) {
        entries.push_back(entry("mailuser", c.displayName));
        if (!c.email.empty()) {
            entries.back()["props"].push_back({{"tag", "0x3003001E"}, {"value", c.email}});
        }
    }
    if (!contacts.empty()) {
        entries.push_back(entry("distlist", "Aa list"));  // never listed
    }
    const std::string source = QFile::encodeName(dir + "/" + name + ".json").toStdString();
    const QString book = dir + "/" + name + ".wab";
    testing_support::WriteFile(source, nlohmann::json{{"entries", entries}}.dump());
    const testing_support::ProgramResult r = testing_support::RunProgram(
        QUORVEL_BOOK_TOOL, {"create", "--force", QFile::encodeName(book).toStdString(), source});
    std::fputs(r.err.c_str(), stderr);
    return r.status == 0 ? book : QString();
}

std::optional<std::string> ScriptedFileDialogs::Run(const FileDialogParams& params) {
    asked.push_back(params);
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

QStringList ModalScript::Titles() const {
    QStringList titles;
    for (const SeenWindow& w : m_seen) {
        titles << w.title;
    }
    return titles;
}

void ModalScript::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == m_pLast.data() || !modal->isVisible()) {
        return;
    }
    m_pLast = modal;
    QStringList texts;
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr) {
        texts << box->text();
    } else {
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            }
        }
    }
    m_seen.push_back({modal->windowTitle(), texts.join('\n')});
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
