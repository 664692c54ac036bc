#include "FaultSupport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace faults {

namespace {

const std::vector<std::string> kExportEnvironment = {"QUORVEL_WAB_DLLPATH", "TZ=UTC"};

}  // namespace

ProgramResult RunQuorvelExport(const std::vector<std::string>& args,
                               const std::vector<std::string>& env) {
    std::vector<std::string> all = kExportEnvironment;
    all.insert(all.end(), env.begin(), env.end());
    return testing_support::RunProgram(QUORVEL_EXPORT, args, all);
}

ProgramResult RunExportOn(const std::filesystem::path& book, std::vector<std::string> args,
                          const std::vector<std::string>& env) {
    const BookSnapshot before = Snapshot(book);
    args.push_back(book.string());
    ProgramResult r = RunQuorvelExport(args, env);
    ExpectUnchanged(book, before);
    return r;
}

ProgramResult RunExportUnprivileged(const std::vector<std::string>& args,
                                    const std::filesystem::path& scratch) {
    if (::geteuid() != 0) {
        return RunQuorvelExport(args);
    }
    namespace fs = std::filesystem;
    const fs::path bin = scratch / "bin";
    const fs::path program = bin / fs::path(QUORVEL_EXPORT).filename();
    if (!fs::exists(program)) {
        fs::create_directory(bin);
        fs::copy_file(QUORVEL_EXPORT, program);
        fs::copy_file(QUORVEL_WAB32, bin / fs::path(QUORVEL_WAB32).filename());
    }
    std::vector<std::string> all = {"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                    program.string()};
    all.insert(all.end(), args.begin(), args.end());
    return testing_support::RunProgram("/usr/bin/setpriv", all, kExportEnvironment);
}

void CreateBook(const std::filesystem::path& book, const std::string& json) {
    const std::filesystem::path source = book.string() + ".json";
    std::ofstream(source, std::ios::binary) << json;
    const ProgramResult r = testing_support::RunProgram(
        QUORVEL_BOOK, {"create", "--force", book.string(), source.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    std::filesystem::remove(source);
}

void GenerateBook(const std::filesystem::path& book, int contacts) {
    const ProgramResult r = testing_support::RunProgram(
        QUORVEL_BOOK, {"generate", "--contacts", std::to_string(contacts), book.string()});
    ASSERT_EQ(r.status, 0) << r.err;
}

BookSnapshot Snapshot(const std::filesystem::path& book) {
    BookSnapshot s;
    struct stat info {};
    // Only a regular file is read: a FIFO or a device would never end.
    if (::stat(book.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
        s.bytes = testing_support::ReadFile(book.string());
        s.modified = info.st_mtim;
    }
    return s;
}

void ExpectUnchanged(const std::filesystem::path& book, const BookSnapshot& before) {
    const BookSnapshot after = Snapshot(book);
    EXPECT_TRUE(after.bytes == before.bytes) << book << ": its bytes changed";
    EXPECT_EQ(after.modified.tv_sec, before.modified.tv_sec) << book << ": its time changed";
    EXPECT_EQ(after.modified.tv_nsec, before.modified.tv_nsec) << book << ": its time changed";
}

std::size_t CountOf(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string::npos;
         at = text.find(needle, at + needle.size())) {
        ++count;
    }
    return count;
}

}  // namespace faults
