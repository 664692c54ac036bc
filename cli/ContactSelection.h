#pragma once

#include "cli/CompactList.h"
#include "cli/ExportOptions.h"

#include <string>
#include <string_view>
#include <vector>

// Whether a display name matches one --name argument. An argument with *, ?
// or [ is a shell pattern (fnmatch) over the whole name; any other is a
// substring. Letters A to Z match either case; every other byte, including
// those of non-ASCII letters, matches only itself (names carry no character set).
bool MatchesName(std::string_view name, std::string_view pattern);

struct SelectionResult {
    std::string error;                   // non-empty: a position beyond the list
    std::vector<std::string> unmatched;  // --name arguments that matched no contact
};

// Marks in list the contacts that --select and --name choose.
SelectionResult SelectContacts(const ExportOptions& options, CompactList& list);
