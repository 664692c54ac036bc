#pragma once

#include <cstdint>

class CDialog;

// The window messages and notifications that reach a dialog's handlers.
inline constexpr unsigned WM_PAINT = 0x000F;
inline constexpr unsigned WM_QUERYDRAGICON = 0x0037;
inline constexpr unsigned WM_NOTIFY = 0x004E;
inline constexpr unsigned WM_COMMAND = 0x0111;
inline constexpr unsigned WM_SYSCOMMAND = 0x0112;

// Notification codes: button clicks, and a list item's state change.
inline constexpr unsigned BN_CLICKED = 0;
inline constexpr unsigned BN_DOUBLECLICKED = 5;
inline constexpr unsigned LVN_ITEMCHANGED = static_cast<unsigned>(-101);

// Standard system commands.
inline constexpr unsigned SC_MINIMIZE = 0xF020;
inline constexpr unsigned SC_CLOSE = 0xF060;

// One message as it is dispatched: its parameters and the handler's result.
struct MessageArgs {
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    std::intptr_t result = 0;
};

// One entry of a message map: the message, for WM_COMMAND and WM_NOTIFY the
// notification code and the control id, and the handler.
struct MessageMapEntry {
    unsigned message;
    unsigned code;
    int id;
    void (*handler)(CDialog& dialog, MessageArgs& args);
};

struct MessageMap {
    const MessageMapEntry* entries;
    int count;
};

// Finds the entry for a message; null when the map has none.
const MessageMapEntry* FindMessageMapEntry(const MessageMap& map, unsigned message, unsigned code,
                                           int id);
