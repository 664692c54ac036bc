#include "UiTestSupport.h"

#include "tests/support/TestSupport.h"
#include "ui/Dialog.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <nlohmann/json.hpp>

#include <cstdio>

namespace {

bool RunTool(const QString& program, const QStringList& arguments) {
    std::vector<std::string> args;
    for (const QString& argument : arguments) {
        args.push_back(QFile::encodeName(argument).toStdString());
    }
    const testing_support::ProgramResult r =
        testing_support::RunProgram(QFile::encodeName(program).toStdString(), args);
    std::fputs(r.err.c_str(), stderr);
    return r.status == 0;
}

}  // namespace

QString MakeBook(const QString& dir, const QString& name,
                 const std::vector<TestContact>& contacts) {
    nlohmann::json entries = nlohmann::json::array();
    for (const TestContact& c : contacts) {
        nlohmann::json props = nlohmann::json::array();
        props.push_back({{"tag", "0x3001001E"}, {"value", c.displayName}});
        if (!c.email.empty()) {
            props.push_back({{"tag", "0x3003001E"}, {"value", c.email}});
        }
        entries.push_back({{"type", "mailuser"}, {"props", props}});
    }
    if (!contacts.empty()) {
        // A distribution list, which the list never shows.
        entries.push_back(
            {{"type", "distlist"},
             {"props", nlohmann::json::array({{{"tag", "0x3001001E"}, {"value", "Aa list"}}})}});
    }
    const QString source = dir + "/" + name + ".json";
    const QString book = dir + "/" + name + ".wab";
    const nlohmann::json document = {{"entries", entries}};
    WriteAll(source, QByteArray::fromStdString(document.dump(2)));
    if (!RunTool(QStringLiteral(QUORVEL_BOOK_TOOL), {"create", "--force", book, source})) {
        return {};
    }
    return book;
}

bool RunCliExport(const QStringList& arguments) {
    return RunTool(QStringLiteral(QUORVEL_EXPORT_TOOL), QStringList{"-q"} + arguments);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
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
    m_timer.setInterval(10);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
    m_timer.start();
}

ModalScript::~ModalScript() {
    m_timer.stop();
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
    SeenWindow seen{modal->windowTitle(), modal->objectName(), {}};
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr) {
        seen.text = box->text();
    } else {
        QStringList texts;
        for (QLabel* label : modal->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            }
        }
        seen.text = texts.join('\n');
    }
    m_seen.push_back(seen);
    if (m_next < m_steps.size()) {
        m_steps[m_next++](modal);
    } else {
        QTest::keyClick(modal, Qt::Key_Escape);
    }
}

ModalScript::Step ClickControl(int id) {
    return [id](QWidget* window) {
        auto* dialog = qobject_cast<CDialog*>(window);
        QWidget* control = dialog != nullptr ? dialog->GetDlgItem(id) : nullptr;
        if (auto* button = qobject_cast<QPushButton*>(control); button != nullptr) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    };
}

namespace {

QPushButton* FindButton(QWidget* window, const QString& text) {
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->text().remove(QLatin1Char('&')) == text) {
            return button;
        }
    }
    return nullptr;
}

}  // namespace

ModalScript::Step ClickButton(const QString& text) {
    return [text](QWidget* window) {
        if (QPushButton* button = FindButton(window, text); button != nullptr) {
            QTest::mouseClick(button, Qt::LeftButton);
        }
    };
}

ModalScript::Step PressEscape() {
    return [](QWidget* window) { QTest::keyClick(window, Qt::Key_Escape); };
}

ModalScript::Step CloseWith(int result) {
    return [result](QWidget* window) {
        if (auto* dialog = qobject_cast<QDialog*>(window); dialog != nullptr) {
            dialog->done(result);
        }
    };
}
