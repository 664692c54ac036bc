#include "cli/ContactSelection.h"

#include <fnmatch.h>

namespace {

std::string FoldAscii(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return folded;
}

}  // namespace

bool MatchesName(std::string_view name, std::string_view pattern) {
    const std::string foldedName = FoldAscii(name);
    const std::string foldedPattern = FoldAscii(pattern);
    if (pattern.find_first_of("*?[") != std::string_view::npos) {
        return fnmatch(foldedPattern.c_str(), foldedName.c_str(), 0) == 0;
    }
    return foldedName.find(foldedPattern) != std::string::npos;
}

SelectionResult SelectContacts(const ExportOptions& options, CompactList& list) {
    SelectionResult result;
    for (int position : options.selection) {
        if (position >= list.GetItemCount()) {
            result.error = "--select: no contact at position " + std::to_string(position);
            return result;
        }
        list.SetItemSelected(position, true);
    }
    for (const std::string& pattern : options.names) {
        bool matched = false;
        for (int i = 0; i < list.GetItemCount(); ++i) {
            if (MatchesName(list.GetItemText(i), pattern)) {
                list.SetItemSelected(i, true);
                matched = true;
            }
        }
        if (!matched) {
            result.unmatched.push_back(pattern);
        }
    }
    return result;
}
