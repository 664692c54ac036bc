#pragma once

#include "ui/FileDialogs.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One contact of a test book: its display name and e-mail address.
struct TestContact {
    std::string displayName;
    std::string email;
};

// Writes SOURCE.json for the contacts (and one distribution list) and builds
// the book with quorvel-book; returns the book's path.
QString MakeBook(const QString& dir, const QString& name, const std::vector<TestContact>& contacts);

// Runs quorvel-export with the arguments; true when it exits 0.
bool RunCliExport(const QStringList& arguments);

// The whole contents of a file; empty when it cannot be read.
QByteArray ReadAll(const QString& path);
void WriteAll(const QString& path, const QByteArray& bytes);

// File dialogs that answer from a script and remember what was asked.
class ScriptedFileDialogs final : public FileDialogs {
  public:
    // Queues one answer: a path, or nothing for Cancel.
    void Answer(std::optional<std::string> path) { m_answers.push_back(std::move(path)); }
    std::optional<std::string> Run(const FileDialogParams& params) override;

    std::vector<FileDialogParams> asked;

  private:
    std::deque<std::optional<std::string>> m_answers;
};

// What a modal window showed when it came up.
struct SeenWindow {
    QString title;
    QString objectName;
    QString text;  // the message of a message box, or the labels' texts
};

// Handles the modal windows that come up while a command runs: each new
// active modal window gets the next step, in order. Windows that come up
// after the last step are closed with Escape and noted.
class ModalScript {
  public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(std::vector<Step> steps = {});
    ~ModalScript();

    const std::vector<SeenWindow>& Seen() const { return m_seen; }
    QStringList Titles() const;

  private:
    void Poll();

    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    std::vector<SeenWindow> m_seen;
    QPointer<QWidget> m_pLast;
    QTimer m_timer;
};

// Steps for modal windows.
ModalScript::Step ClickControl(int id);              // a CDialog's control by id
ModalScript::Step ClickButton(const QString& text);  // any push button by its text
ModalScript::Step PressEscape();
ModalScript::Step CloseWith(int result);  // QDialog::done
