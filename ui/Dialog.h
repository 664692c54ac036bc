#pragma once

#include "ui/MessageMap.h"
#include "ui/WinBool.h"
#include "ui/resources/DialogTemplate.h"

#include <QDialog>
#include <QFont>
#include <QMessageBox>

#include <map>

class FileError;
class QMenu;
class QPaintEvent;

// A message box over parent, under its title. The text is plain: a file or
// contact name in it is never read as markup.
QMessageBox::StandardButton ShowMessage(
    QWidget* parent, QMessageBox::Icon icon, const QString& text,
    QMessageBox::StandardButtons buttons = QMessageBox::Ok,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// A dialog built from a template: a fixed-size QDialog whose controls sit at
// their template positions, in template (tab) order. Button clicks, list
// changes, system commands and painting arrive as messages and are routed
// through the dialog's message map; what the map does not handle gets the
// default processing. A file error raised by a handler is reported here, in
// the framework's standard message box.
class CDialog : public QDialog {
    Q_OBJECT

  public:
    explicit CDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
    ~CDialog() override;

    // Runs OnInitDialog, then the dialog modally; returns the EndDialog result.
    int DoModal();
    // Runs OnInitDialog and shows the dialog without a modal loop.
    void Create();
    void EndDialog(int result);

    // The control with that id, or null.
    QWidget* GetDlgItem(int id) const;
    // The dialog's own window menu; null when the template has no system menu.
    QMenu* GetSystemMenu() const { return m_pSystemMenu; }

    // Routes one message through the message map, as the dialog manager
    // delivers it. A FileError that a handler raises is reported and ends
    // the handler.
    void SendDlgMessage(unsigned message, unsigned code, int id, MessageArgs& args);
    void SendCommand(unsigned code, int id);

    // "MS Sans Serif" where installed, else the system's sans-serif, at the
    // template's size.
    static QFont DialogFont(const DialogTemplate& dialogTemplate);
    // The font's base units, measured as the dialog manager measures them.
    static DialogBaseUnits MeasureBaseUnits(const QFont& font);

  protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    virtual const MessageMap& GetMessageMap() const;

    // The processing of a message that the map does not handle.
    void Default(unsigned message, unsigned code, int id, MessageArgs& args);
    // The framework's report of a failed write or close.
    virtual void ReportFileError(const FileError& error);

    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  public:
    // Escape and the close box arrive as IDCANCEL; IDOK from Enter.
    void reject() override;
    void accept() override;

  private:
    void CreateControls();
    // The first enabled tab-stop control in template order takes the focus.
    void FocusFirstTabStop();
    void CreateSystemMenu();
    void ShowSystemMenu(const QPoint& globalPos);

    const DialogTemplate& m_template;
    DialogBaseUnits m_baseUnits{};
    std::map<int, QWidget*> m_controls;
    QMenu* m_pSystemMenu = nullptr;
    QPaintEvent* m_pPaintEvent = nullptr;
};
