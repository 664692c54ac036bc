#pragma once

#include "platform/OutputFile.h"
#include "properties/WabDefs.h"

// Writes one contact, given by its property array, as a vCard 2.1 block from
// "BEGIN:VCARD" to "END:VCARD". Each line ends in "\n".
void WriteVCard(OutputFile& file, const SPropValue* props, ULONG count);
