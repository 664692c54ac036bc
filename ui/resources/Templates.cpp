// The dialog templates of the program, as the resource script lists them.
#include "ui/Resource.h"
#include "ui/resources/DialogTemplate.h"

#include <string>

namespace {

constexpr const char* kDialogFont = "MS Sans Serif";
constexpr int kDialogFontSize = 8;

ControlStyle Button(bool defaultButton, bool disabled = false) {
    ControlStyle s;
    s.tabStop = true;
    s.defaultButton = defaultButton;
    s.disabled = disabled;
    return s;
}

}  // namespace

const DialogTemplate& MainDialogTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_MAIN, 266, 177, "Quorvel", kDialogFont, kDialogFontSize, {}, {}};
        d.style.systemMenu = true;
        ControlStyle list;
        list.border = true;
        list.tabStop = true;
        ControlStyle progress;
        progress.border = true;
        progress.disabled = true;
        d.controls = {
            {ControlKind::PushButton, IDCANCEL, "Exit", {210, 156, 48, 14}, Button(false)},
            {ControlKind::ListView, IDC_CONTACT_LIST, "List1", {7, 6, 197, 144}, list},
            {ControlKind::PushButton, IDC_BROWSE, "Browse...", {210, 6, 48, 14}, Button(true)},
            {ControlKind::PushButton,
             IDC_EXPORT,
             "Export...",
             {210, 46, 48, 14},
             Button(true, true)},
            {ControlKind::PushButton,
             IDC_PROPERTIES,
             "Properties",
             {210, 68, 48, 14},
             Button(true)},
            {ControlKind::PushButton,
             IDC_EXPORT_ALL,
             "Export All ...",
             {210, 26, 48, 14},
             Button(true)},
            {ControlKind::ProgressBar, IDC_PROGRESS, "Progress1", {7, 156, 198, 14}, progress},
            {ControlKind::PushButton, IDC_ABOUT, "About", {210, 135, 48, 14}, Button(true)},
        };
        return d;
    }();
    return t;
}

const DialogTemplate& AboutBoxTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_ABOUTBOX,    166, 95, "About Quorvel", kDialogFont,
                         kDialogFontSize, {},  {}};
        d.style.systemMenu = true;
        d.controls = {
            {ControlKind::StaticIcon,
             IDC_STATIC,
             std::to_string(IDR_MAINFRAME),
             {67, 50, 20, 20},
             {}},
            {ControlKind::PushButton, IDOK, "OK", {67, 74, 32, 14}, Button(true)},
        };
        return d;
    }();
    return t;
}

const DialogTemplate& ExportTypeTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_EXPORT_TYPE, 130, 79, "Export Type?", kDialogFont,
                         kDialogFontSize, {},  {}};
        d.controls = {
            {ControlKind::PushButton,
             IDC_EXPORT_CSV_SPLIT,
             "CSV with separate header file",
             {7, 55, 116, 17},
             Button(true)},
            {ControlKind::PushButton,
             IDC_EXPORT_VCARD,
             "vCards (*.vcf)",
             {7, 7, 116, 17},
             Button(false)},
            {ControlKind::PushButton, IDC_EXPORT_CSV, "CSV", {7, 30, 116, 17}, Button(true)},
        };
        return d;
    }();
    return t;
}

const DialogTemplate& ExportDoneTemplate() {
    static const DialogTemplate t = [] {
        DialogTemplate d{IDD_EXPORT_DONE, 91, 47, "Quorvel", kDialogFont, kDialogFontSize, {}, {}};
        d.style.setForeground = true;
        ControlStyle text;
        text.centered = true;
        d.controls = {
            {ControlKind::PushButton, IDOK, "OK", {19, 24, 50, 14}, Button(true)},
            {ControlKind::StaticText, IDC_STATIC, "Export Complete", {7, 7, 77, 8}, text},
        };
        return d;
    }();
    return t;
}
