#pragma once

#include "ui/WinBool.h"

#include <string>
#include <string_view>
#include <vector>

class CMainDlg;

// What start-up reads from the command line.
struct CCommandLineInfo {
    // The first argument that does not begin with a slash or a hyphen;
    // empty when there is none.
    std::string m_strFileName;
};

// A flag in the Windows manner: a slash and one word without a dot ("/x")
// that names no file. An argument with a second slash or a dot is a path.
bool IsSlashFlag(std::string_view argument);

// A flag begins with a hyphen, or is a slash flag.
bool IsCommandLineFlag(std::string_view argument);

// Fills the record from the arguments after the program name, as the bytes
// the system gave (a file name need not be UTF-8).
void ParseCommandLine(const std::vector<std::string>& arguments, CCommandLineInfo& info);

// The application: start-up opens the book, runs the main dialog modally and
// deletes the session when the dialog has closed.
class CConverterApp {
  public:
    // Start-up on the arguments after the program name. Always FALSE: no
    // message loop runs outside the dialog.
    BOOL InitInstance(const std::vector<std::string>& arguments);
    // 0, or 1 when the book named at start-up could not be opened.
    int ExitCode() const { return m_nExitCode; }

  private:
    // The main window while start-up runs the dialog; null otherwise.
    CMainDlg* m_pMainWnd = nullptr;
    int m_nExitCode = 0;
};
