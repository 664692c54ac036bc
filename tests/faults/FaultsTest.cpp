// quorvel-export against hostile outputs, books, libraries and settings, and
// with contacts far larger than usual: each case ends in one clear line and a
// nonzero status, or in a correct export. No command changes the book.
#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "cli/ExportCommand.h"
#include "core/ExportRun.h"
#include "platform/TextFile.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <numeric>
#include <set>

// The fsync calls of this process.
static int g_fsyncs = 0;

extern "C" int fsync(int fd) {
    ++g_fsyncs;
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

// Two contacts; the second has a note over two lines.
constexpr char kBookJson[] = R"({"entries": [
  {"props": [{"tag": "0x3001001E", "value": "Ann Able"}, {"tag": "0x3A06001E", "value": "Ann"},
    {"tag": "0x3A11001E", "value": "Able"}, {"tag": "0x3003001E", "value": "ann@example.org"}]},
  {"props": [{"tag": "0x3001001E", "value": "Bob Baker"},
    {"tag": "0x3004001E", "value": "Two\r\nlines"}]}]})";

// That book as a vCard file.
constexpr char kBookVCards[] =
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:Able;Ann;;;\r\nFN:Ann Able\r\n"
    "EMAIL;PREF;INTERNET:ann@example.org\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN:;Bob Baker;;;\r\nFN:Bob Baker\r\n"
    "NOTE;ENCODING=QUOTED-PRINTABLE:Two=0D=0Alines\r\nEND:VCARD\r\n";

// A file's modification time and bytes; "" unless a regular file (a FIFO never ends).
std::string Snapshot(const fs::path& file) {
    return fs::is_regular_file(file)
               ? std::to_string(fs::last_write_time(file).time_since_epoch().count()) + "\n" +
                     ReadFile(file)
               : "";
}

// A big-endian 16-bit field of an SQLite file: the page size at 16.
std::size_t U16(const std::string& bytes, std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
}

std::size_t CountOf(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t at = 0; (at = text.find(needle, at)) != std::string::npos;
         at += needle.size()) {
        ++count;
    }
    return count;
}

class FaultsTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::permissions(m_dir.path(), fs::perms(0755));  // for the unprivileged user
        CreateBook(m_book, kBookJson);
    }

    // Exports `book` (after `args`) in UTC and checks that it stays as it was; as
    // "nobody" when root, from copies beside the book, so that permissions apply.
    ProgramResult Export(std::vector<std::string> args, bool asNobody = false,
                         std::string book = "") {
        book = book.empty() ? m_book.string() : book;
        const std::string before = Snapshot(book);
        args.push_back(book);
        std::string program = QUORVEL_EXPORT;
        if (asNobody && ::geteuid() == 0) {
            program = Path("quorvel-export");
            if (!fs::exists(program)) {
                fs::copy_file(QUORVEL_EXPORT, program);
                fs::copy_file(QUORVEL_WAB32, m_dir / fs::path(QUORVEL_WAB32).filename());
            }
            args.insert(args.begin(),
                        {"--reuid=65534", "--regid=65534", "--clear-groups", "--", program});
            program = "/usr/bin/setpriv";
        }
        ProgramResult r = RunProgram(program, args, {"QUORVEL_WAB_DLLPATH", "TZ=UTC"});
        EXPECT_TRUE(Snapshot(book) == before) << book << " changed";
        return r;
    }

    std::string Path(const std::string& name) const { return m_dir.File(name); }

    TempDir m_dir;
    fs::path m_book = m_dir.path() / "book.wab";
};

// An output the user may not write: status 3, one line naming the file and
// the system's reason, and nothing changed (the other outputs that cannot be
// opened, written or closed are rows of HostileOutputs).
TEST_F(FaultsTest, UnwritableOutputsFailWithStatus3) {
    const std::string locked = Path("locked"), readOnly = Path("read-only.vcf");
    fs::create_directory(locked);
    fs::permissions(locked, fs::perms(0555));
    WriteFile(readOnly, "kept\r\n");
    fs::permissions(readOnly, fs::perms(0444));
    for (const std::string& out : {locked + "/out.vcf", readOnly}) {
        const ProgramResult r = Export({"-o", out}, true);
        EXPECT_EQ(std::to_string(r.status) + " " + r.err,
                  "3 quorvel-export: cannot open " + out + ": Permission denied\n");
    }
    EXPECT_FALSE(fs::exists(locked + "/out.vcf"));
    EXPECT_EQ(ReadFile(readOnly), "kept\r\n");
}

// Every file of a folder but out.vcf, with its time and bytes, in name order.
std::string Listing(const fs::path& dir) {
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        files.insert(name == "out.vcf" ? "" : name + "\n" + Snapshot(entry.path()));
    }
    return std::accumulate(files.begin(), files.end(), std::string());
}

// Hostile books: status 1 and one line naming the book and why, no output;
// among them SQLite files not of the schema (an endless view, a keyless
// table, another application's, version or journal mode).
// A stray BOOK-wal is ignored. Reading never creates or changes a file beside
// the book (a BOOK-shm hard-linked to another file included).
TEST_F(FaultsTest, BookFaultsFailWithStatus1AndOneLine) {
    const std::string notABook = "WABOpen failed with code 0x80040108 (not an address book)",
                      otherVersion =
                          "WABOpen failed with code 0x80040110 (an address book of "
                          "another version or journal mode)";
    std::string good = ReadFile(m_book);
    const auto changed = [&](const char* sql) {
        return [&, sql](const fs::path& f) {
            fs::copy_file(m_book, f);
            sqlite3* db = nullptr;
            ASSERT_EQ(sqlite3_open(f.c_str(), &db), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        };
    };
    const auto beside = [&](const std::string& suffix, const std::string& bytes) {
        return [&, suffix, bytes](const fs::path& f) {
            fs::copy_file(m_book, f);
            WriteFile(f.string() + suffix, bytes);
            WriteFile(Path("victim"), "precious");
            fs::create_hard_link(Path("victim"), f.string() + "-shm");
        };
    };
    const struct {
        std::function<void(const fs::path&)> make;
        std::string reason;  // empty: the whole book is exported
        std::string name = "";
    } cases[] = {
        {[](const fs::path&) {}, "No such file or directory", "line\nbreak.wab"},
        {[](const fs::path& f) { WriteFile(f, ""); }, notABook},
        {[&](const fs::path& f) { WriteFile(f, good.substr(0, good.size() / 2)); },
         "WABOpen failed with code 0x8004011B (a damaged address book)"},
        {[&](const fs::path& f) { WriteFile(f, std::string(100, '\xA5') + good.substr(100)); },
         notABook},
        {changed("DROP TABLE entries; CREATE VIEW entries AS WITH RECURSIVE c(x) AS (SELECT 1 "
                 "UNION ALL SELECT x + 1 FROM c) SELECT x AS id, x AS stored_order, 6 AS "
                 "object_type, 'n' AS display_name, randomblob(16) AS sort_key, x'' AS props "
                 "FROM c;"),
         notABook},
        {changed(
             "ALTER TABLE entries RENAME TO old; CREATE TABLE entries (id INTEGER, "
             "stored_order, object_type, display_name, sort_key, props); INSERT INTO "
             "entries SELECT * FROM old; INSERT INTO entries SELECT * FROM old; DROP TABLE old;"),
         notABook},
        {changed("PRAGMA application_id=0;"), notABook},
        {changed("DROP TABLE entries;"), notABook},
        {changed("UPDATE book_format SET schema_version = 99;"), otherVersion},
        {changed("PRAGMA journal_mode=WAL;"), otherVersion},
        {[&](const fs::path& f) { WriteFile(f, good.substr(0, 19) + '\x02' + good.substr(20)); },
         otherVersion},  // read in WAL mode only
        {beside("-journal", "\xD9\xD5\x05\xF9 \xA1\x63\xD7 an unfinished change"),
         "WABOpen failed with code 0x80040109 (a change to the book was left unfinished in its "
         "-journal file)"},
        {beside("-wal", "a stray log"), ""},
        {[](const fs::path& f) { fs::create_directory(f); }, "Is a directory"},
        {[](const fs::path& f) { ::mkfifo(f.c_str(), 0600); }, "a pipe or socket, not a file"},
        {[](const fs::path& f) { fs::create_symlink("/dev/zero", f); }, "a device, not a file"},
        {[](const fs::path& f) { fs::create_symlink("none.wab", f); },
         "dangling link (the file it names does not exist)"},
        {[](const fs::path&) {}, "Not a directory", "book.wab/x.wab"},
    };
    for (const auto& c : cases) {
        const std::string book =
            Path(c.name.empty() ? "bad-" + std::to_string(&c - cases) + ".wab" : c.name);
        c.make(book);
        const std::string listing = Listing(m_dir.path());
        const ProgramResult r = Export({"-q", "-o", Path("out.vcf")}, false, book);
        std::string shown = book;  // as messages write a line break
        for (std::size_t at = 0; (at = shown.find('\n', at)) != std::string::npos;) {
            shown.replace(at, 1, "\\n");
        }
        EXPECT_EQ(std::to_string(r.status) + " " + r.err,
                  c.reason.empty() ? "0 "
                                   : "1 quorvel-export: cannot open address book " + shown + ": " +
                                         c.reason + "\n");
        EXPECT_EQ(Listing(m_dir.path()), listing) << "a file beside the book changed";
        EXPECT_EQ(fs::exists(Path("out.vcf")) ? ReadFile(Path("out.vcf")) : "none",
                  c.reason.empty() ? kBookVCards : "none");
        fs::remove(Path("out.vcf"));
        fs::remove(Path("victim"));
    }
}

// A book deleted once the session has opened it is still read whole; the
// output reaches the disk before it takes its name.
TEST_F(FaultsTest, BookDeletedAfterOpeningExportsWhole) {
    ::setenv("QUORVEL_WAB_DLLPATH", QUORVEL_WAB32, 1);
    {
        CAddressBookSession session(m_book.string());
        ASSERT_TRUE(session.m_bOpened) << session.OpenError();
        fs::remove(m_book);
        CompactList list;
        EXPECT_EQ(session.FillList(list), S_OK);
        TextFile file;
        ASSERT_TRUE(file.Open(Path("out.vcf"), nullptr, std::nullopt, WriteMode::Replace));
        testing_support::NullProgress progress;
        EXPECT_TRUE(ExportVCards(file, list, LVNI_ALL, progress, session).empty());
        g_fsyncs = 0;
        file.Close();
        EXPECT_EQ(g_fsyncs, 1);
    }
    ::unsetenv("QUORVEL_WAB_DLLPATH");
    EXPECT_EQ(ReadFile(Path("out.vcf")), kBookVCards);
}

// A contact of 100,000 e-mail addresses comes out whole, in the order the
// writers promise: the first one preferred, the others last to first.
TEST_F(FaultsTest, HugeContactsComeOutWhole) {
    constexpr int kAddresses = 100000;
    std::string json = R"({"entries": [{"props": [{"tag": "0x3001001E", "value": "Many Mails"},
        {"tag": "0x3003001E", "value": "addr-0"}, {"tag": "0x3A56101E", "values": [)";
    std::string mails;
    for (int i = 0; i < kAddresses; ++i) {
        json += (i > 0 ? ",\"addr-" : "\"addr-") + std::to_string(i) + "\"";
        mails += "EMAIL;INTERNET:addr-" + std::to_string(kAddresses - 1 - i) + "\r\n";
    }
    mails.replace(mails.size() - 23, 23, "EMAIL;PREF;INTERNET:addr-0\r\n");
    CreateBook(m_book, json + "]}]}]}");
    ASSERT_EQ(Export({"-q", "-o", Path("out.vcf")}).err, "");
    EXPECT_TRUE(ReadFile(Path("out.vcf")) ==
                "BEGIN:VCARD\r\nVERSION:2.1\r\nN:;Many Mails;;;\r\nFN:Many Mails\r\n" + mails +
                    "END:VCARD\r\n")
        << "the vCard file differs";
}

// Hostile outputs and settings, each a shell command ("$0" quorvel-export,
// "$1" the book, "$2" quorvel-book) and its status, standard error and
// output: an output that fails gives 3; no name of the book is written (2);
// the program's own descriptors are written through, as "-" is, never
// replaced; quorvel-book --force replaces regular files only; a name choosing
// no contact writes nothing; a bad library setting is refused. No book changes.
TEST_F(FaultsTest, HostileOutputs) {
    const std::string home = Path("home");
    const std::string defaultBook = home + "/.local/share/quorvel/default.wab";
    fs::create_directories(fs::path(defaultBook).parent_path());
    fs::copy_file(m_book, defaultBook);
    fs::create_symlink(m_book, Path("link.vcf"));
    fs::create_hard_link(m_book, Path("hard.vcf"));
    const std::string before = Snapshot(m_book) + Snapshot(defaultBook);
    const std::string run = "printf 'KEEP\\n' >log; \"$0\" -q ", book = " \"$1\"",
                      log = "; s=$?; cat log; exit $s", keep = "KEEP\n" + std::string(kBookVCards);
    const auto refused = [](const std::string& named) {
        return "2 quorvel-export: will not write " + named +
               ": it is the address book being read\n";
    };
    // The export of the book to o.vcf, shown, with a library setting before it.
    const std::string library = "rm -f o.vcf; QUORVEL_WAB_DLLPATH=",
                      written = " \"$0\" -q -o o.vcf \"$1\"; s=$?; cat o.vcf 2>/dev/null; exit $s",
                      cannotLoad = "1 quorvel-export: cannot open address book " + m_book.string() +
                                   ": cannot load ";
    const std::string full = "3 quorvel-export: cannot write /dev/full: No space left on device\n";
    const std::pair<std::string, std::string> cases[] = {
        // Outputs that cannot be opened, written or closed: status 3 and one
        // line; no data file after a failed header, the header whole after a
        // failed data file.
        {run + "-o /dev/full" + book, full},
        {run + "-o ." + book, "3 quorvel-export: cannot open .: Is a directory\n"},
        {run + "-o none/o.vcf" + book + "; s=$?; test ! -e none && exit $s",
         "3 quorvel-export: cannot open none/o.vcf: No such file or directory\n"},
        {run + "-f csv-split --header /dev/full -o d.csv" + book, full},
        {run + "-f csv-split --header h.csv -o /dev/full" + book + "; s=$?; wc -l <h.csv; exit $s",
         full + "1\n"},
        {run + "-o " + defaultBook, refused(defaultBook)},
        {run + "-f csv-split --header " + defaultBook + " -o d.csv", refused(defaultBook)},
        {run + "-o link.vcf" + book, refused("link.vcf")},
        {run + "-o hard.vcf" + book, refused("hard.vcf")},
        {"exec 3<\"$1\"; " + run + "-o /dev/fd/3" + book, refused("/dev/fd/3")},
        {run + "-o -" + book + " >>\"$1\"", refused("standard output")},
        {run + "-o /dev/stdout" + book + " >>log" + log, "0 " + keep},
        {run + "-o /dev/stderr" + book + " 2>>log" + log, "0 " + keep},
        {run + "-o /dev/fd/5" + book + " 5>>log" + log, "0 " + keep},
        {"printf 'KEEP\\n' >log; sh -c 'exec \"$0\" -q -o /proc/$$/fd/1 \"$1\"' \"$0\" \"$1\" "
         ">>log" +
             log,
         "0 " + keep},
        {"ln -sf /proc/self/fd/1 l1; ln -sf l1 l2; " + run + "-o l2" + book + " >>log" + log,
         "0 " + keep},
        {"ln -sf c2 c1; ln -sf c1 c2; " + run + "-o c1" + book,
         "3 quorvel-export: cannot open c1: Too many levels of symbolic links\n"},
        {run + "-o /dev/stdin" + book + " <log" + log,
         "3 quorvel-export: cannot write /dev/stdin: Bad file descriptor\nKEEP\n"},
        {run + "-f csv-split --header /proc/self/fd/1 -o d.csv" + book,
         "2 quorvel-export: --header cannot be standard output; name a file\n"},
        {run + "-f csv-split --header log -o -" + book + " >>log" + log,
         "2 quorvel-export: will not write standard output as both the header file and the data "
         "file\nKEEP\n"},
        {"exec 9>&-; " + run + "-o /dev/fd/9" + book,
         "3 quorvel-export: cannot open /dev/fd/9: Bad file descriptor\n"},
        // Names the descriptor folder lists none under: opened as paths.
        {run + "-o /dev/fd/-1" + book,
         "3 quorvel-export: cannot open /dev/fd/-1: No such file or directory\n"},
        {run + "-n nobody -n 'x*' -o log" + book + log,
         "1 quorvel-export: no contact's name matches 'nobody', 'x*'; log not written\nKEEP\n"},
        {run + "-o \"$(printf 'a\\nb')/x.vcf\"" + book,
         "3 quorvel-export: cannot open a\\nb/x.vcf: No such file or directory\n"},
        {"rm -f fifo; mkfifo fifo; ln -sf fifo lf; \"$2\" generate --contacts 1 --force lf",
         "1 quorvel-book: lf: a pipe or socket, not a file; only a regular file is replaced\n"},
        {"exec \"$2\" generate --contacts 1 /dev/null",
         "1 quorvel-book: /dev/null: a device, not a file; only a regular file is replaced\n"},
        // A bad QUORVEL_WAB_DLLPATH is refused with its reason; one too long for
        // the 260-byte buffer is never cut into another path: the default loads.
        {"printf 'not a library\\n' >text.so; " + library + Path("text.so") + written,
         cannotLoad + Path("text.so") + ": file too short\n"},
        {"mkfifo lib.so; " + library + Path("lib.so") + written,
         cannotLoad + Path("lib.so") + ": a pipe or socket, not a file\n"},
        {library + PathOfLength(QUORVEL_WAB32, 259) + written, "0 " + std::string(kBookVCards)},
        {library + PathOfLength(Path("text.so"), 260) + written, "0 " + std::string(kBookVCards)},
        // A book named "file:..." is the file of that name, not an SQLite URI.
        {"\"$2\" generate --contacts 1 uri.wab; cp \"$1\" file:uri.wab; \"$0\" --list file:uri.wab",
         "0 0\tAnn Able\n1\tBob Baker\n"},
        // An export stopped by a signal (the file-size limit) leaves the old
        // output as it was and no temporary file.
        {"\"$2\" generate --contacts 200 big.wab; printf 'old\\r\\n' >o.vcf; "
         "sh -c 'ulimit -f 4; exec \"$0\" -q -o o.vcf big.wab' \"$0\" 2>/dev/null; "
         "echo $?; cat o.vcf; ! ls | grep tmp-",
         "0 153\nold\r\n"},
        {"printf 'KEEP\\n' >log; ln -sf log ll; \"$2\" generate --contacts 1 --force ll; "
         "test -L ll && head -c 15 log",
         "0 SQLite format 3"},
    };
    for (const auto& [script, expected] : cases) {
        SCOPED_TRACE(script);
        const ProgramResult r =
            RunProgram("/bin/sh",
                       {"-c", "cd \"$3\" && " + script, QUORVEL_EXPORT, m_book.string(),
                        QUORVEL_BOOK, m_dir.path()},
                       {"QUORVEL_WAB_DLLPATH", "HOME=" + home, "XDG_DATA_HOME"});
        EXPECT_EQ(std::to_string(r.status) + " " + r.err + r.out, expected);
        EXPECT_TRUE(Snapshot(m_book) + Snapshot(defaultBook) == before) << "a book changed";
        EXPECT_FALSE(fs::exists(Path("d.csv")));
    }
}

// Every byte of a small book's table and index pages damaged in turn: no
// export says all went well while it holds fewer contacts than the book.
TEST_F(FaultsTest, NoDamagedByteLosesAContactQuietly) {
    const std::string good = ReadFile(m_book);
    const std::size_t pageSize = U16(good, 16);
    ::setenv("QUORVEL_WAB_DLLPATH", QUORVEL_WAB32, 1);  // the runs happen in this process
    std::FILE* sink = std::fopen("/dev/null", "w");
    const ExportOptions options =
        ParseExportOptions({"-q", "-o", Path("damaged.vcf"), Path("damaged.wab")}).options;
    std::string quietLosses;  // the damaged bytes
    int told = 0;
    // Every page but the schema's, the first; a page's unused middle, between its
    // cell pointers and its cells, is left out: nothing reads it.
    for (std::size_t start = pageSize; start < good.size(); start += pageSize) {
        const std::size_t unusedFrom = start + 8 + 2 * U16(good, start + 3);
        const std::size_t unusedTo = start + U16(good, start + 5);
        for (std::size_t at = start; at < start + pageSize; ++at) {
            if (at == unusedFrom && unusedTo > unusedFrom) {
                at = unusedTo;
            }
            std::string damaged = good;
            damaged[at] = static_cast<char>(~damaged[at]);
            WriteFile(options.book, damaged);
            fs::remove(options.output);
            if (RunExportCommand(options, sink, sink) != 0) {
                ++told;
            } else if (CountOf(ReadFile(options.output), "BEGIN:VCARD") != 2) {
                quietLosses += std::to_string(at) + " ";
            }
        }
    }
    std::fclose(sink);
    ::unsetenv("QUORVEL_WAB_DLLPATH");
    EXPECT_EQ(quietLosses, "") << "lost a contact with status 0";
    EXPECT_GT(told, 0);
}

}  // namespace
