#include "cli/TerminalProgress.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string Drawn(bool draw, long long total, int positions) {
    std::FILE* stream = std::tmpfile();
    TerminalProgress progress(stream, draw, total);
    progress.SetRange(0, static_cast<std::uint16_t>(total));
    for (int i = 1; i <= positions; ++i) {
        progress.SetPos(i);
    }
    progress.SetPos(0);
    const std::string text = testing_support::ReadStream(stream);
    std::fclose(stream);
    return text;
}

TEST(TerminalProgressTest, DrawsOnlyWhenAskedAndOnlyOnChange) {
    EXPECT_EQ(Drawn(false, 100, 100), "");
    EXPECT_EQ(Drawn(true, 0, 0), "");
    // A bar drawn empty is cleared at the end too.
    EXPECT_EQ(Drawn(true, 1000, 1), "\r[" + std::string(40, '.') + "]   0%\r\033[K");

    // 70000 positions (past the 16-bit range) draw at most one line per cell.
    const std::string text = Drawn(true, 70000, 70000);
    std::size_t lines = 0;
    for (std::size_t at = text.find("\r["); at != std::string::npos;
         at = text.find("\r[", at + 1)) {
        ++lines;
    }
    EXPECT_LE(lines, 41u);
    EXPECT_NE(text.find("[########################################] 100%"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\033[K");
}

}  // namespace
