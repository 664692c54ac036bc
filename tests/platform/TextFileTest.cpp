#include "platform/TempFileCleanup.h"
#include "platform/TextFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using testing_support::FilesIn;
using testing_support::ReadFile;
using testing_support::TempDir;

// Every LF becomes CR LF, other bytes stay; strings larger than the buffer
// are written whole, a file dropped without Close keeps its bytes, and a file
// opened in place holds only what was written since.
TEST(TextFileTest, StoresEveryLineFeedAsCrLfAndOtherBytesUnchanged) {
    TempDir dir;
    const std::string path = dir.File("out.txt");
    std::ofstream(path) << "old content that is longer";
    const std::string half(100'000, 'x');
    TextFile file;
    ASSERT_TRUE(file.Open(path));
    file.WriteString("a\nb");
    file.WriteString("\x06\r\xFF\n\n");
    file.WriteString("");
    for (int i = 0; i < 2; ++i) {
        file.WriteString((half + "\n" + half).c_str());
        file.WriteString("tail\n");
    }
    file.Close();
    const std::string big = half + "\r\n" + half + "tail\r\n";
    EXPECT_TRUE(ReadFile(path) == "a\r\nb\x06\r\xFF\r\n\r\n" + big + big) << "the bytes differ";
    {
        TextFile dropped;
        ASSERT_TRUE(dropped.Open(path));
        dropped.WriteString("kept\n");
    }
    EXPECT_EQ(ReadFile(path), "kept\r\n");
    for (const char* text : {"1", ""}) {  // a single byte; nothing, which empties the file
        TextFile again;
        ASSERT_TRUE(again.Open(path));
        again.WriteString(text);
        again.Close();
        EXPECT_EQ(ReadFile(path), text);
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

// A cleanup removes what is still registered (a folder with its files and
// empty subfolders) and leaves what was unregistered, from the first slot on.
TEST(TempFileCleanupTest, RemovesOnlyWhatIsStillRegistered) {
    TempDir dir;
    const std::string kept = dir.File("kept"), folder = dir.File("folder");
    std::filesystem::create_directories(folder + "/sub");
    std::ofstream(kept) << "k";
    std::ofstream(folder + "/f") << "f";
    const int keptSlot = RegisterTempFile(kept.c_str());
    const int folderSlot = RegisterTempFolder(folder.c_str());
    UnregisterTempFile(keptSlot);
    const auto descriptors = FilesIn("/proc/self/fd");
    RemoveTempFiles();
    UnregisterTempFile(folderSlot);
    EXPECT_EQ(
        std::to_string(keptSlot) + ReadFile(kept) + std::to_string(std::filesystem::exists(folder)),
        "0k0");
    EXPECT_EQ(FilesIn("/proc/self/fd"), descriptors) << "a descriptor was left open";
}

// Replacements dropped unfinished give their slots back: after more of them
// than there are slots, a cleanup still removes the next one's temporary file.
TEST(TempFileCleanupTest, DroppedReplacementsFreeTheirSlots) {
    TempDir dir;
    const std::string path = dir.File("out.txt");
    for (int i = 0; i < 20; ++i) {
        TextFile dropped;
        ASSERT_TRUE(dropped.Open(path, nullptr, std::nullopt, WriteMode::Replace));
    }
    TextFile last;
    ASSERT_TRUE(last.Open(path, nullptr, std::nullopt, WriteMode::Replace));
    EXPECT_EQ(FilesIn(dir.path()), 1);
    RemoveTempFiles();
    EXPECT_EQ(FilesIn(dir.path()), 0);
}
