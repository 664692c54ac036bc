#include "platform/TextFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using testing_support::ReadFile;
using testing_support::TempDir;

TEST(TextFileTest, StoresEveryLineFeedAsCrLfAndOtherBytesUnchanged) {
    TempDir dir;
    const std::string path = dir.File("out.txt");
    TextFile file;
    ASSERT_TRUE(file.Open(path));
    file.WriteString("a\nb");
    file.WriteString("\x06\r\xFF\n\n");
    file.WriteString("");
    file.Close();
    EXPECT_EQ(ReadFile(path), std::string("a\r\nb\x06\r\xFF\r\n\r\n"));
}

TEST(TextFileTest, EmptiesAnExistingFile) {
    TempDir dir;
    const std::string path = dir.File("out.txt");
    std::ofstream(path) << "old content that is longer";
    TextFile file;
    ASSERT_TRUE(file.Open(path));
    file.WriteString("new");
    file.Close();
    EXPECT_EQ(ReadFile(path), "new");
}

TEST(TextFileTest, WritesStringsLargerThanItsBufferWhole) {
    TempDir dir;
    const std::string path = dir.File("big.txt");
    std::string big(200'000, 'x');
    big[100'000] = '\n';
    std::string small = "tail\n";
    TextFile file;
    ASSERT_TRUE(file.Open(path));
    for (int i = 0; i < 3; ++i) {
        file.WriteString(small.c_str());
        file.WriteString(big.c_str());
    }
    file.Close();
    const std::string expected = testing_support::WithCrLf(small + big + small + big + small + big);
    EXPECT_EQ(ReadFile(path), expected);
}

TEST(TextFileTest, OpenFailuresTellThePathAndTheReason) {
    TempDir dir;
    struct Case {
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {dir.File("missing/out.txt"), "No such file or directory"},
        {dir.path().string(), "Is a directory"},
    };
    for (const Case& c : cases) {
        TextFile file;
        FileError error("", 0);
        EXPECT_FALSE(file.Open(c.path, &error)) << c.path;
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(error.path(), c.path);
        EXPECT_EQ(error.reason(), c.reason);
    }
}

TEST(TextFileTest, ReadOnlyFileIsNotOpenedNorEmptied) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write any file";
    }
    TempDir dir;
    const std::string path = dir.File("ro.txt");
    std::ofstream(path) << "keep";
    ::chmod(path.c_str(), 0444);
    TextFile file;
    FileError error("", 0);
    EXPECT_FALSE(file.Open(path, &error));
    EXPECT_EQ(error.reason(), "Permission denied");
    EXPECT_EQ(ReadFile(path), "keep");
}

TEST(TextFileTest, FileHeldByAnotherWriterIsNotOpenedNorEmptied) {
    TempDir dir;
    const std::string path = dir.File("held.txt");
    TextFile holder;
    ASSERT_TRUE(holder.Open(path));
    holder.WriteString("first");
    holder.Close();
    TextFile first;
    ASSERT_TRUE(first.Open(path));
    first.WriteString("held");
    TextFile second;
    FileError error("", 0);
    EXPECT_FALSE(second.Open(path, &error));
    EXPECT_EQ(error.path(), path);
    first.Close();
    EXPECT_EQ(ReadFile(path), "held");
}

TEST(TextFileTest, WriteFailureOnAFullDeviceRaisesFileErrorWithPathAndReason) {
    TextFile file;
    ASSERT_TRUE(file.Open("/dev/full"));
    const std::string line(1000, 'x');
    try {
        for (int i = 0; i < 1000; ++i) {
            file.WriteString(line.c_str());
        }
        file.Close();
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path(), "/dev/full");
        EXPECT_EQ(error.reason(), "No space left on device");
        EXPECT_STREQ(error.what(), "/dev/full: No space left on device");
    }
}

TEST(TextFileTest, CloseReportsAFailureOfTheLastBufferedBytes) {
    TextFile file;
    ASSERT_TRUE(file.Open("/dev/full"));
    file.WriteString("short\n");
    EXPECT_THROW(file.Close(), FileError);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NO_THROW(file.Close());
}
