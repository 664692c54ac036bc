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

// A book made with quorvel-book: a distribution list and contacts of these names.
QString MakeBook(const QString& dir, const QString& name, const QStringList& names);

// File dialogs that answer from a script (nothing: Cancel).
struct ScriptedFileDialogs final : FileDialogs {
    void Answer(std::optional<std::string> path) { answers.push_back(std::move(path)); }
    std::optional<std::string> Run(const FileDialogParams& params) override;

    std::deque<std::optional<std::string>> answers;
};

// The main dialog on a book, without a modal loop; scripted or (desktop) Qt's file dialogs.
struct OpenDialog : CMainDlg {
    explicit OpenDialog(const QString& book, bool desktop = false);
    ~OpenDialog() override;
    void Click(int id) { QTest::mouseClick(GetDlgItem(id), Qt::LeftButton); }
    // A person's click on an item, with Ctrl to add it to the selection or take it out.
    void ClickItem(int index, bool add = false);
    bool ExportEnabled() const { return GetDlgItem(IDC_EXPORT)->isEnabled(); }

    ScriptedFileDialogs files;
};

// Each new active modal window gets the next step; Escape for a null step or none left.
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
    QList<QPointer<QWidget>> m_seen;  // a window deleted drops out
    QTimer m_timer;
};

ModalScript::Step ClickControl(int id);  // a CDialog's control by id; else Escape
