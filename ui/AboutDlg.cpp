#include "ui/AboutDlg.h"

CAboutDlg::CAboutDlg() : CDialog(AboutBoxTemplate(), nullptr) {}
