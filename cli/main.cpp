#include "cli/ExportCommand.h"
#include "cli/ExportOptions.h"
#include "platform/TempFileCleanup.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = ParseExportOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "quorvel-export: %s (see --help)\n", parsed.error.c_str());
        return kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(ExportHelpText().c_str(), stdout);
        return kExitSuccess;
    }
    if (parsed.options.version) {
        std::printf("quorvel-export %s\n", QUORVEL_VERSION);
        return kExitSuccess;
    }
    // An interrupted export leaves no temporary file behind.
    InstallTempFileCleanup();
    const int status = RunExport(parsed.options, stdout, stderr);
    if (std::fflush(stdout) != 0 && status == kExitSuccess) {
        std::perror("quorvel-export: cannot write standard output");
        return kExitFileFailed;
    }
    return status;
}
