#pragma once

#include <QIcon>

// The program icon IDR_MAINFRAME: an address book with an export arrow, drawn
// in the 16 standard colours at 32 x 32 and 16 x 16 pixels (ui/resources/icons,
// compiled in as Qt resources).
QIcon LoadMainIcon();
