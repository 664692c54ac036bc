#include "platform/TextFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

using testing_support::ReadFile;
using testing_support::TempDir;

TEST(TextFileTest, StoresEveryLineFeedAsCrLfAndOtherBytesUnchanged) {
    TempDir dir;
    const std::string path = dir.File("out.txt");
    std::ofstream(path) << "old content that is longer";
    TextFile file;
    ASSERT_TRUE(file.Open(path));
    file.WriteString("a\nb");
    file.WriteString("\x06\r\xFF\n\n");
    file.WriteString("");
    file.Close();
    EXPECT_EQ(ReadFile(path), std::string("a\r\nb\x06\r\xFF\r\n\r\n"));
    {
        // A file dropped without Close still gets its buffered bytes.
        TextFile dropped;
        ASSERT_TRUE(dropped.Open(path));
        dropped.WriteString("kept\n");
    }
    EXPECT_EQ(ReadFile(path), "kept\r\n");
}

TEST(TextFileTest, WritesStringsLargerThanItsBufferWhole) {
    TempDir dir;
    const std::string path = dir.File("big.txt");
    const std::string half(100'000, 'x');
    TextFile file;
    ASSERT_TRUE(file.Open(path));
    for (int i = 0; i < 3; ++i) {
        file.WriteString("tail\n");
        file.WriteString((half + "\n" + half).c_str());
    }
    file.Close();
    const std::string written = "tail\r\n" + half + "\r\n" + half;
    EXPECT_EQ(ReadFile(path), written + written + written);
}

TEST(TextFileTest, OpenFailuresTellThePathAndTheReason) {
    TempDir dir;
    for (const auto& [path, reason] :
         {std::pair{dir.File("none/out.txt"), "No such file or directory"},
          std::pair{dir.path().string(), "Is a directory"}}) {
        TextFile file;
        FileError error("", 0);
        EXPECT_FALSE(file.Open(path, &error));
        EXPECT_STREQ(error.what(), (path + ": " + reason).c_str());
    }
}

TEST(TextFileTest, FileHeldByAnotherWriterIsNotOpenedNorEmptied) {
    TempDir dir;
    const std::string path = dir.File("held.txt");
    TextFile first;
    ASSERT_TRUE(first.Open(path));
    first.WriteString("held");
    TextFile second;
    FileError error("", 0);
    EXPECT_FALSE(second.Open(path, &error));
    EXPECT_STREQ(error.what(), (path + ": in use by another export").c_str());
    first.Close();
    EXPECT_EQ(ReadFile(path), "held");
}

// A string larger than the buffer fails as it is written, a short one when
// the last buffered bytes are written at close; the file is closed either way.
TEST(TextFileTest, CloseReportsAFailureOfTheLastBufferedBytes) {
    for (const std::size_t length : {200'000u, 6u}) {
        TextFile file;
        ASSERT_TRUE(file.Open("/dev/full"));
        try {
            file.WriteString(std::string(length, 'x').c_str());
            file.Close();
            ADD_FAILURE() << "no FileError for " << length;
        } catch (const FileError& error) {
            EXPECT_EQ(error.path(), "/dev/full");
            EXPECT_STREQ(error.what(), "/dev/full: No space left on device");
        }
        EXPECT_NO_THROW(file.Close());
        EXPECT_FALSE(file.IsOpen());
    }
}
