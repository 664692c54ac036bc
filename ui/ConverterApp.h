#pragma once

#include "ui/WinBool.h"

#include <QStringList>

#include <string>

class CMainDlg;

// What start-up reads from the command line.
struct CCommandLineInfo {
    // The first argument that does not begin with a slash or a hyphen;
    // empty when there is none.
    std::string m_strFileName;
};

// A flag begins with a hyphen, or with a slash when it is a single word
// ("/x") that names no file: absolute paths are names.
bool IsCommandLineFlag(const QString& argument);

// Fills the record from the arguments after the program name.
void ParseCommandLine(const QStringList& arguments, CCommandLineInfo& info);

// The application: start-up opens the book, runs the main dialog modally and
// deletes the session when the dialog has closed.
class CConverterApp {
  public:
    // Start-up on the process's own command line. Always FALSE: no message
    // loop runs outside the dialog.
    BOOL InitInstance();
    // Start-up on the given arguments (those after the program name).
    BOOL InitInstance(const QStringList& arguments);

    // The main window while start-up runs the dialog; null otherwise.
    CMainDlg* m_pMainWnd = nullptr;
    // 0, or 1 when the book named at start-up could not be opened.
    int m_nExitCode = 0;
};
