#include "platform/OutOfMemory.h"
#include "platform/TempFileCleanup.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <exception>
#include <filesystem>
#include <stdexcept>

namespace {

// std::terminate while `exception` is the one being handled, as when it
// leaves a destructor.
template <typename Exception>
[[noreturn]] void TerminateWith(const Exception& exception) {
    try {
        throw exception;
    } catch (...) {
        std::terminate();
    }
}

// An allocation failure nothing caught ends the program with the message and
// status, its temporary files removed; any other exception is told by the
// handler that was there before, which aborts.
TEST(OutOfMemoryDeathTest, UncaughtFailuresEndAsTheirKindSays) {
    testing_support::TempDir dir;
    const std::string temp = dir.File("temp");
    testing_support::WriteFile(temp, "t");
    const int slot = RegisterTempFile(temp.c_str());
    EXPECT_EXIT(
        {
            EndOnUncaughtOutOfMemory("prog", 7);
            TerminateWith(std::bad_alloc());
        },
        testing::ExitedWithCode(7), "^prog: out of memory\n$");
    EXPECT_FALSE(std::filesystem::exists(temp));
    UnregisterTempFile(slot);
    EXPECT_EXIT(
        {
            EndOnUncaughtOutOfMemory("prog", 7);
            TerminateWith(std::runtime_error("boom"));
        },
        testing::KilledBySignal(SIGABRT), "boom");
}

}  // namespace
