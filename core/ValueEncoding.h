#pragma once

#include "platform/OutputFile.h"

#include <string_view>

// Stands for one line break inside an encoded value, and joins the parts of a
// CSV field.
inline constexpr char lineBreakMarker = 0x06;

// On while a quoted-printable vCard line (NOTE, ADR) is written: line breaks
// are then spelled "=0D=0A". Only the vCard writer changes it.
extern bool quotedPrintableMode;

// Encodes a zero-terminated value: CR LF and lone CR become lineBreakMarker,
// trailing markers and LFs are dropped, and in quoted-printable mode every
// marker and LF becomes "=0D=0A". The result lives in the encoder's buffer
// until the next call, with a terminator after it; values of any length are
// encoded whole.
std::string_view EncodeValue(const char* value);

// A null value writes nothing. Otherwise sets writtenFlag to 1 and writes the
// encoded value in one write.
void WriteValue(const char* value, unsigned char& writtenFlag, OutputFile& file);

// As WriteValue, but first writes lineBreakMarker when the value is present
// and an earlier value of the group was written (writtenFlag is 1).
void WriteJoinedValue(const char* value, unsigned char& writtenFlag, OutputFile& file);
