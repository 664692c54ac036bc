// Books for the window tests, scripted file dialogs and scripts for the modal
// windows that come up while a command runs.
#pragma once

#include "ui/FileDialogs.h"

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

// Builds a book of the contacts and one distribution list with quorvel-book;
// returns its path, or nothing when the tool failed.
QString MakeBook(const QString& dir, const QString& name, const std::vector<TestContact>& contacts);

// File dialogs that answer from a script (nothing: Cancel) and note what was asked.
class ScriptedFileDialogs final : public FileDialogs {
  public:
    void Answer(std::optional<std::string> path) { m_answers.push_back(std::move(path)); }
    std::optional<std::string> Run(const FileDialogParams& params) override;

    std::vector<FileDialogParams> asked;

  private:
    std::deque<std::optional<std::string>> m_answers;
};

// What a modal window showed: its title, and a message box's text or the labels' texts.
struct SeenWindow {
    QString title;
    QString text;
};

// Each new active modal window gets the next step, in order; windows that
// come up after the last step are closed with Escape.
class ModalScript {
  public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(std::vector<Step> steps = {});

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

ModalScript::Step ClickControl(int id);              // a CDialog's control by id
ModalScript::Step ClickButton(const QString& text);  // any push button by its text
