#pragma once

#include <optional>
#include <string>

// A file to be read (a book, the address-book library), checked before it is
// opened: a FIFO or device would block or never end, a folder or a dangling
// link would be told as something else.
struct InputPathProblem {
    int error;           // an errno value: ENOENT, EACCES, ENOTDIR, EISDIR, ENODEV...
    std::string reason;  // one short phrase for messages
};

// nullopt when path names a regular file (through any links) that may be
// opened; otherwise why it cannot be read.
std::optional<InputPathProblem> CheckInputPath(const std::string& path);

// The path as a file name for readers that take "file:..." as a URI: such a
// relative path becomes "./file:...". Any other path is returned as it is.
std::string PlainFilePath(const std::string& path);

// $XDG_DATA_HOME/quorvel/default.wab, or ~/.local/share/quorvel/default.wab.
std::string DefaultBookPath();
