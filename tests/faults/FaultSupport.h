// Helpers of the fault tests: the built programs run as a user runs them,
// books made from JSON or generated, and the check that a book stays as it was.
#pragma once

#include "tests/support/TestSupport.h"

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

namespace faults {

using testing_support::ProgramResult;

// quorvel-export in UTC with the default library; `env` adds to or overrides that.
ProgramResult RunQuorvelExport(const std::vector<std::string>& args,
                               const std::vector<std::string>& env = {});

// Exports `book` (added after `args`) and checks that the book stays as it was.
ProgramResult RunExportOn(const std::filesystem::path& book, std::vector<std::string> args,
                          const std::vector<std::string>& env = {});

// The same, as the unprivileged user "nobody" when this process is root, so
// that file permissions apply. That user may not reach the build tree, so
// the program and its library run from copies in `scratch`, which it must be
// able to read.
ProgramResult RunExportUnprivileged(const std::vector<std::string>& args,
                                    const std::filesystem::path& scratch);

// Builds a book with `quorvel-book create`; the test fails if that fails.
void CreateBook(const std::filesystem::path& book, const std::string& json);
void GenerateBook(const std::filesystem::path& book, int contacts);

// A book's bytes and modification time.
struct BookSnapshot {
    std::string bytes;
    struct timespec modified {};
};
BookSnapshot Snapshot(const std::filesystem::path& book);
void ExpectUnchanged(const std::filesystem::path& book, const BookSnapshot& before);

std::size_t CountOf(const std::string& text, const std::string& needle);

}  // namespace faults
