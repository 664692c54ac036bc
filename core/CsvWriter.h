#pragma once

#include "core/ContactTypes.h"
#include "platform/OutputFile.h"

// The header line: twelve column names and "\n".
void WriteCsvHeader(OutputFile& file);

// One row of twelve fields for the contact; drains otherEmails.
void WriteCsvRow(OutputFile& file, const ContactRecord& record, EmailList& otherEmails);
