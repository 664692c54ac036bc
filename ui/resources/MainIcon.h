#pragma once

#include <QIcon>
#include <QImage>
#include <QRgb>

#include <array>

// The program icon IDR_MAINFRAME: an address book with an export arrow, drawn
// in the 16 standard colours at 32 x 32 and 16 x 16 pixels.

// The standard 16-colour palette, by index 0-15.
const std::array<QRgb, 16>& IconPalette();

// The image of one size (32 or 16) as pixel rows: one character per pixel,
// a hexadecimal palette index or '.' for transparent.
const char* const* MainIconRows(int size);

// The image of one size, built from its rows; a null image for other sizes.
QImage MainIconImage(int size);

// Both images as one icon.
QIcon LoadMainIcon();
