#pragma once

#include <string>
#include <vector>

// A dialog template as data: the dialog's size, caption, font and styles, and
// its controls in template order (which is also the tab order). Sizes and
// positions are in dialog units.

enum class ControlKind { PushButton, ListView, ProgressBar, StaticText, StaticIcon };

struct DluRect {
    int x;
    int y;
    int width;
    int height;
};

// The control styles that mean something here.
struct ControlStyle {
    bool tabStop = false;
    bool defaultButton = false;  // BS_DEFPUSHBUTTON
    bool disabled = false;       // WS_DISABLED
    bool border = false;         // WS_BORDER
    bool centered = false;       // SS_CENTER
};

struct ControlTemplate {
    ControlKind kind;
    int id;
    std::string caption;  // for a static icon: the icon's resource id as text
    DluRect rect;
    ControlStyle style;
};

// Every dialog has a caption and a fixed size.
struct DialogStyle {
    bool systemMenu = false;     // WS_SYSMENU: the dialog's own menu and a close box
    bool setForeground = false;  // DS_SETFOREGROUND
};

struct DialogTemplate {
    int id;
    int width;
    int height;
    std::string caption;
    std::string fontName;
    int fontPointSize;
    DialogStyle style;
    std::vector<ControlTemplate> controls;
};

// The dialog font's base units, in pixels: the average character width and
// the character height.
struct DialogBaseUnits {
    int x;
    int y;
};

struct PixelRect {
    int x;
    int y;
    int width;
    int height;

    bool operator==(const PixelRect&) const = default;
};

// Dialog units to pixels as the dialog manager converts them: x·bx/4 and
// y·by/8, rounded to the nearest pixel.
PixelRect DialogUnitsToPixels(const DluRect& rect, const DialogBaseUnits& units);

// The average character width as the dialog manager measures it: the width of
// the 52 letters A-Z and a-z, halved per letter pair and rounded.
int AverageCharWidth(int widthOfAllLetters);

// The four templates of the program.
const DialogTemplate& MainDialogTemplate();
const DialogTemplate& AboutBoxTemplate();
const DialogTemplate& ExportTypeTemplate();
const DialogTemplate& ExportDoneTemplate();
