#pragma once

#include "core/ContactSource.h"
#include "core/ContactTypes.h"
#include "core/LeftOutValues.h"
#include "platform/ListControl.h"
#include "platform/OutputFile.h"
#include "platform/ProgressControl.h"

#include <vector>

// How many list items scope covers.
int CountCovered(const ListControl& list, ExportScope scope);

// Both runs write every list item that scope covers, in list order, while
// moving the progress bar; they return the positions of the covered items
// that were left out because their entry could not be read. With leftOut,
// each contact written adds the values its format has no place for
// (CountLeftOut), given to listLeftOut when it is set. A FileError from the
// file ends the run and passes to the caller.
std::vector<int> ExportVCards(OutputFile& file, const ListControl& list, ExportScope scope,
                              ProgressControl& progress, ContactSource& source,
                              LeftOutCounts* leftOut = nullptr,
                              const ListLeftOut& listLeftOut = {});
std::vector<int> ExportCsv(OutputFile& file, const ListControl& list, ExportScope scope,
                           ProgressControl& progress, ContactSource& source,
                           LeftOutCounts* leftOut = nullptr, const ListLeftOut& listLeftOut = {});
