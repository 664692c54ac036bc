#pragma once

// Resource identifiers of the desktop program.

// Templates.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_MAIN = 102;
inline constexpr int IDD_EXPORT_DONE = 129;
inline constexpr int IDD_EXPORT_TYPE = 131;

// Icon and strings.
inline constexpr int IDR_MAINFRAME = 128;
inline constexpr int IDS_ABOUTBOX = 101;

// System-menu command of the About entry.
inline constexpr unsigned IDM_ABOUTBOX = 0x0010;

// Standard dialog results and button ids.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Main dialog controls.
inline constexpr int IDC_BROWSE = 3;
inline constexpr int IDC_EXPORT = 4;
inline constexpr int IDC_PROPERTIES = 5;
inline constexpr int IDC_EXPORT_ALL = 6;
inline constexpr int IDC_ABOUT = 7;
inline constexpr int IDC_CONTACT_LIST = 1000;
inline constexpr int IDC_PROGRESS = 1002;

// Export-type buttons; their ids are also the export kinds.
inline constexpr int IDC_EXPORT_CSV_SPLIT = 1004;
inline constexpr int IDC_EXPORT_VCARD = 1005;
inline constexpr int IDC_EXPORT_CSV = 1006;

// A control without an id (static text, static icon).
inline constexpr int IDC_STATIC = -1;
