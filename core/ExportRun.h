#pragma once

#include "core/ContactSource.h"
#include "core/ContactTypes.h"
#include "platform/ListControl.h"
#include "platform/OutputFile.h"
#include "platform/ProgressControl.h"

#include <cstddef>

// How many list items scope covers.
int CountCovered(const ListControl& list, ExportScope scope);

// Both runs write every list item that scope covers, in list order, while
// moving the progress bar; they return the number of covered items that were
// left out because their entry could not be read. A FileError from the file
// ends the run and passes to the caller.
std::size_t ExportVCards(OutputFile& file, const ListControl& list, ExportScope scope,
                         ProgressControl& progress, ContactSource& source);
std::size_t ExportCsv(OutputFile& file, const ListControl& list, ExportScope scope,
                      ProgressControl& progress, ContactSource& source);
