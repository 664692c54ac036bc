#include "cli/ExportCommand.h"
#include "cli/ExportOptions.h"
#include "platform/OutOfMemory.h"
#include "platform/StandardOutput.h"
#include "platform/TempFileCleanup.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kProgram = "quorvel-export";

// A closed standard descriptor would be handed to the next file opened (the
// book, an output file); it is held by /dev/null instead, opened the wrong way
// round so that output to it fails rather than vanishing.
void HoldClosedStandardDescriptors() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) < 0) {
            const int held = open("/dev/null", fd == STDIN_FILENO ? O_WRONLY : O_RDONLY);
            if (held >= 0 && held != fd) {
                close(held);
            }
        }
    }
}

int Run(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = ParseExportOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s: %s (see --help)\n", kProgram, OneLine(parsed.error).c_str());
        return kExitUsage;
    }
    if (parsed.options.help || parsed.options.version) {
        const std::string text = parsed.options.help
                                     ? ExportHelpText()
                                     : std::string(kProgram) + " " + QUORVEL_VERSION + "\n";
        return WriteStandardOutput(kProgram, text) ? kExitSuccess : kExitFileFailed;
    }
    // An interrupted export leaves no temporary file behind.
    InstallTempFileCleanup();
    const int status = RunExportCommand(parsed.options, stdout, stderr);
    if (std::fflush(stdout) != 0 && status == kExitSuccess) {
        std::perror("quorvel-export: cannot write standard output");
        return kExitFileFailed;
    }
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    HoldClosedStandardDescriptors();
    return ExitStatusOf(kProgram, kExitBookFailed, [&] { return Run(argc, argv); });
}
