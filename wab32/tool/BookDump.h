// `quorvel-book dump`: every entry and property of a book, readably.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>

namespace wab32 {

// Writes the dump of the book at `path`; false with `error` set on failure.
bool DumpBook(const std::filesystem::path& path, std::ostream& out, std::string& error);

// Bytes as a quoted string: printable ASCII as is, \\ \" \r \n \t, else \xNN.
std::string EscapedBytes(std::string_view bytes);

}  // namespace wab32
