// Books, the main dialog on a book, scripted file dialogs and modal windows.
#pragma once

#include "ui/FileDialogs.h"
#include "ui/MainDlg.h"
#include "ui/Resource.h"

#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <vector>

// Builds a book of contacts with these display names and one distribution
// list with quorvel-book; returns its path, or nothing when the tool failed.
QString MakeBook(const QString& dir, const QString& name, const QStringList& names);

// File dialogs that answer from a script (nothing: Cancel) and note what was asked.
struct ScriptedFileDialogs final : FileDialogs {
    void Answer(std::optional<std::string> path) { answers.push_back(std::move(path)); }
    std::optional<std::string> Run(const FileDialogParams& params) override;

    std::deque<std::optional<std::string>> answers;
    QStringList asked;  // the filters of the dialogs asked for
};

// The main dialog on one book, shown without a modal loop, with scripted or
// (desktop) the desktop's file dialogs.
struct OpenDialog : CMainDlg {
    explicit OpenDialog(const QString& book, bool desktop = false);
    ~OpenDialog() override;
    void Click(int id) { QTest::mouseClick(GetDlgItem(id), Qt::LeftButton); }
    // A person's click on an item, with Ctrl to add it to the selection or take it out.
    void ClickItem(int index, bool add = false);
    bool ExportEnabled() const { return GetDlgItem(IDC_EXPORT)->isEnabled(); }

    ScriptedFileDialogs files;
};

// Each new active modal window gets the next step, in order; a null step, and
// every window after the last step, is closed with Escape.
class ModalScript {
  public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(std::vector<Step> steps = {});

    // Of each window seen: its title and its labels' texts.
    QStringList titles;
    QStringList texts;

  private:
    std::vector<Step> m_steps;
    std::size_t m_next = 0;
    QPointer<QWidget> m_pLast;
    QTimer m_timer;
};

ModalScript::Step ClickControl(int id);  // a CDialog's control by id; Escape for other windows
