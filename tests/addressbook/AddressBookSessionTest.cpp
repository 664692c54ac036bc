#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "core/ExportRun.h"
#include "platform/WabDllPath.h"
#include "tests/addressbook/FakeBook.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Names(const CompactList& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        names.emplace_back(list.GetItemText(i));
    }
    return names;
}

// The display name of the current entry, read through the library.
std::string CurrentName(CAddressBookSession& session) {
    return session.ReadProperties() ? session.m_pProps[0].Value.lpszA : "";
}

// Every library block and object goes back once the session ends.
void ExpectNothingLeft(const FakeWabState& state) {
    EXPECT_EQ(state.liveBlocks, 0);
    EXPECT_EQ(state.liveObjects, 0);
    EXPECT_EQ(state.badFrees, 0);
}

using testing_support::PathOfLength;

TEST(WabDllPathTest, FitsOrGivesTheEmptyString) {
    struct Case {
        const char* what;
        bool set;
        std::size_t length;
        bool fits;
    };
    const Case cases[] = {
        {"unset", false, 0, false},      {"empty", true, 0, false},
        {"short", true, 12, true},       {"259 bytes", true, 259, true},
        {"260 bytes", true, 260, false}, {"261 bytes", true, 261, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string value(c.length, 'p');
        if (c.set) {
            setenv(kWabDllPathVariable, value.c_str(), 1);
        } else {
            unsetenv(kWabDllPathVariable);
        }
        char buffer[kWabDllPathSize + 16];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(ReadWabDllPath(buffer, kWabDllPathSize), c.fits);
        EXPECT_EQ(std::string(buffer), c.fits ? value : std::string());
        for (std::size_t i = kWabDllPathSize; i < sizeof buffer; ++i) {
            ASSERT_EQ(buffer[i], 'Z') << "written past the buffer at " << i;
        }
    }
    unsetenv(kWabDllPathVariable);
}

TEST(AddressBookSessionTest, LoadsTheSettingOrTheDefaultName) {
    FakeBook book;
    // Keep a real default library, if one is found, away from the user's book.
    const std::string dataHome = ::testing::TempDir() + "quorvel-session-data-home";
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    struct Case {
        const char* what;
        std::function<void()> set;
        std::string expectedName;
    };
    const std::string path259 = PathOfLength(book.path(), 259);
    const Case cases[] = {
        {"unset", [] { unsetenv(kWabDllPathVariable); }, kDefaultWabDllName},
        {"empty", [] { setenv(kWabDllPathVariable, "", 1); }, kDefaultWabDllName},
        {"259 bytes", [&] { setenv(kWabDllPathVariable, path259.c_str(), 1); }, path259},
        {"260 bytes",
         [&] { setenv(kWabDllPathVariable, PathOfLength(book.path(), 260).c_str(), 1); },
         kDefaultWabDllName},
        {"261 bytes",
         [&] { setenv(kWabDllPathVariable, PathOfLength(book.path(), 261).c_str(), 1); },
         kDefaultWabDllName},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.set();
        book.state().paramSize = 0;
        CAddressBookSession session("");
        // Only the setting names the fake library.
        EXPECT_EQ(book.state().paramSize != 0, c.expectedName == path259);
        if (c.expectedName == path259) {
            EXPECT_TRUE(session.m_bOpened);
        } else if (!session.m_bOpened) {
            EXPECT_NE(session.OpenError().find(kDefaultWabDllName), std::string::npos)
                << session.OpenError();
        }
    }
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(dataHome);
}

TEST(AddressBookSessionTest, OpensOnlyOnAZeroResult) {
    struct Case {
        const char* what;
        std::string library;
        HRESULT result;
        BOOL opened;
        std::string error;
    };
    const Case cases[] = {
        {"success", FAKE_WAB_PATH, S_OK, 1, ""},
        {"warning", FAKE_WAB_PATH, MAPI_W_ERRORS_RETURNED, 0,
         "WABOpen failed with code 0x00040380"},
        {"failure", FAKE_WAB_PATH, MAPI_E_CORRUPT_DATA, 0,
         "WABOpen failed with code 0x8004011B (not an address book, or a damaged one)"},
        {"no WABOpen", FAKE_WAB_NO_OPEN_PATH, S_OK, 0,
         std::string(FAKE_WAB_NO_OPEN_PATH) + " has no WABOpen"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBook book(c.library);
        if (c.library == FAKE_WAB_PATH) {
            book.state().openResult = c.result;
        }
        {
            CAddressBookSession session(FAKE_WAB_PATH);
            EXPECT_EQ(session.m_bOpened, c.opened);
            EXPECT_EQ(session.OpenError(), c.error);
            if (c.library == FAKE_WAB_PATH) {
                // A session that did not open holds nothing of the library.
                if (!c.opened) {
                    ExpectNothingLeft(book.state());
                }
                EXPECT_EQ(book.state().fileName, FAKE_WAB_PATH);
                EXPECT_EQ(book.state().paramSize, sizeof(WAB_PARAM));
            }
        }
        if (c.library == FAKE_WAB_PATH) {
            ExpectNothingLeft(book.state());
        }
    }
}

TEST(AddressBookSessionTest, TellsWhyTheLibraryDidNotLoad) {
    setenv(kWabDllPathVariable, "/nonexistent/libnothing.so", 1);
    CAddressBookSession session("");
    EXPECT_FALSE(session.m_bOpened);
    // The loader's own text, without the name a second time.
    EXPECT_EQ(session.OpenError(),
              "cannot load /nonexistent/libnothing.so: cannot open shared object file: No such "
              "file or directory");
    unsetenv(kWabDllPathVariable);
}

TEST(AddressBookSessionTest, FillListFollowsTheFailureRules) {
    struct Case {
        const char* what;
        std::function<void(FakeWabState&)> arrange;
        HRESULT result;
        std::vector<std::string> names;
    };
    auto withShape = [](RowShape shape) {
        return [shape](FakeWabState& s) {
            s.entries = {Contact("Anna", 1), Contact("Bad", 2), Contact("Cleo", 3)};
            s.entries[1].shape = shape;
        };
    };
    const std::vector<std::string> twoGood = {"Anna", "Cleo"};
    const Case cases[] = {
        {"in display-name order whatever the table's order",
         [](FakeWabState& s) {
             s.entries = {Contact("carol", 1), Contact("Alice", 2), Contact("bob", 3),
                          Contact("Alice", 4), Contact("alice", 5)};
         },
         S_OK,
         {"Alice", "Alice", "alice", "bob", "carol"}},
        {"distribution lists and other objects get no item",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1), Contact("Team", 2, MAPI_DISTLIST),
                          Contact("Box", 3, MAPI_ABCONT), Contact("Cleo", 4)};
         },
         S_OK, twoGood},
        {"no contacts: the result of the one QueryRows",
         [](FakeWabState& s) { s.queryEndResult = 7; },
         7,
         {}},
        {"QueryRows failing part-way keeps the earlier items",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3)};
             s.queryFailAt = 2;
             s.queryFailCode = MAPI_E_CORRUPT_DATA;
         },
         MAPI_E_CORRUPT_DATA,
         {"Anna", "Bert"}},
        {"GetPAB failing",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1)};
             s.getPabResult = MAPI_E_NO_ACCESS;
         },
         MAPI_E_NO_ACCESS,
         {}},
        {"GetPAB giving no id",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1)};
             s.pabNullId = true;
         },
         MAPI_E_CALL_FAILED,
         {}},
        {"OpenEntry of the container failing",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1)};
             s.openContainerResult = MAPI_E_NOT_FOUND;
         },
         MAPI_E_NOT_FOUND,
         {}},
        {"OpenEntry giving another kind of object",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1)};
             s.containerIsMailUser = true;
         },
         MAPI_E_CALL_FAILED,
         {}},
        {"GetContentsTable failing",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1)};
             s.contentsResult = MAPI_E_NO_SUPPORT;
         },
         MAPI_E_NO_SUPPORT,
         {}},
        {"SetColumns failing",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1)};
             s.setColumnsResult = MAPI_E_NO_SUPPORT;
         },
         MAPI_E_NO_SUPPORT,
         {}},
        {"SeekRow failing",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1)};
             s.seekResult = MAPI_E_CALL_FAILED;
         },
         MAPI_E_CALL_FAILED,
         {}},
        {"missing display name: listed with the empty name",
         withShape(RowShape::NameMissing),
         S_OK,
         {"", "Anna", "Cleo"}},
        {"null display name", withShape(RowShape::NameNull), S_OK, twoGood},
        {"missing entry id", withShape(RowShape::IdMissing), S_OK, twoGood},
        {"empty entry id", withShape(RowShape::IdEmpty), S_OK, twoGood},
        {"missing object type", withShape(RowShape::TypeMissing), S_OK, twoGood},
        {"two columns only", withShape(RowShape::TwoColumns), S_OK, twoGood},
        {"no property records", withShape(RowShape::NoProps), S_OK, twoGood},
        {"AllocateBuffer giving no block costs that row",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1), Contact("Bad", 2), Contact("Cleo", 3)};
             s.failAllocateBuffer = {1};
         },
         S_OK, twoGood},
        {"AllocateMore giving no block costs that row",
         [](FakeWabState& s) {
             s.entries = {Contact("Anna", 1), Contact("Bad", 2), Contact("Cleo", 3)};
             s.failAllocateMore = {1};
         },
         S_OK, twoGood},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBook book;
        c.arrange(book.state());
        {
            CAddressBookSession session("");
            ASSERT_TRUE(session.m_bOpened);
            CompactList list;
            EXPECT_EQ(session.FillList(list), c.result);
            EXPECT_EQ(Names(list), c.names);
            // Each item's data is its own copy of the entry id.
            for (int i = 0; i < list.GetItemCount(); ++i) {
                const EntryRef* entry = list.GetItemData(i);
                ASSERT_NE(entry, nullptr);
                const auto& entries = book.state().entries;
                const bool known = std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
                    return (e.name == list.GetItemText(i) || list.GetItemText(i).empty()) &&
                           e.id.size() == entry->cb &&
                           std::memcmp(e.id.data(), entry->lpb, entry->cb) == 0;
                });
                EXPECT_TRUE(known) << list.GetItemText(i);
            }
        }
        ExpectNothingLeft(book.state());
    }
}

TEST(AddressBookSessionTest, DestructorFreesEntryRefsAndPropsBeforeReleasingTheLibrary) {
    FakeBook book;
    book.state().entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3)};
    {
        CAddressBookSession session("");
        CompactList list;
        ASSERT_EQ(session.FillList(list), S_OK);
        list.SetItemSelected(1, true);
        session.SelectEntry(list, -1);
        ASSERT_TRUE(session.ReadProperties());
        // Deleting the items frees nothing: the session still owns the refs.
        list.DeleteAllItems();
        book.state().events.clear();
    }
    const std::vector<std::string> expected = {"FreeBuffer",        "FreeBuffer",
                                               "FreeBuffer",        "FreeBuffer",
                                               "Release IAddrBook", "Release IWABObject"};
    EXPECT_EQ(book.state().events, expected);
    ExpectNothingLeft(book.state());
}

TEST(AddressBookSessionTest, SelectEntryStartRules) {
    FakeBook book;
    book.state().entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3),
                            Contact("Dora", 4)};
    CAddressBookSession session("");
    CompactList list;
    ASSERT_EQ(session.FillList(list), S_OK);
    list.SetItemSelected(1, true);
    list.SetItemSelected(3, true);

    EXPECT_NE(session.SelectEntry(list, -1), -1);
    EXPECT_EQ(CurrentName(session), "Bert");
    EXPECT_NE(session.SelectEntry(list, 1), -1);
    EXPECT_EQ(CurrentName(session), "Dora");
    // The start item itself is never returned: nothing after the last one.
    EXPECT_EQ(session.SelectEntry(list, 3), -1);
    EXPECT_EQ(CurrentName(session), "Dora");

    list.SetItemSelected(1, false);
    list.SetItemSelected(3, false);
    list.SetItemSelected(2, true);
    EXPECT_EQ(session.SelectEntry(list, 2), -1);
    EXPECT_EQ(CurrentName(session), "Dora");
}

TEST(AddressBookSessionTest, ShowDetailsShowsTheFirstSelectedOrNothing) {
    FakeBook book;
    book.state().entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3)};
    CAddressBookSession session("");
    CompactList list;
    ASSERT_EQ(session.FillList(list), S_OK);

    session.ShowDetails(list);
    EXPECT_EQ(book.state().detailsCalls, 0);
    EXPECT_FALSE(session.ReadProperties());

    list.SetItemSelected(2, true);
    list.SetItemSelected(1, true);
    session.ShowDetails(list);
    EXPECT_EQ(book.state().detailsCalls, 1);
    EXPECT_EQ(book.state().detailsId, book.state().entries[1].id);
    EXPECT_EQ(CurrentName(session), "Bert");
}

TEST(AddressBookSessionTest, ReadPropertiesTellsWhetherItRead) {
    FakeBook book;
    book.state().entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3)};
    book.state().entries[1].failOpen = true;
    CAddressBookSession session("");
    CompactList list;
    ASSERT_EQ(session.FillList(list), S_OK);

    // No current entry: nothing changes.
    EXPECT_FALSE(session.ReadProperties());
    EXPECT_EQ(session.m_pProps, nullptr);
    EXPECT_EQ(session.m_cProps, 0u);

    session.SetCurrentEntry(list.GetItemData(0));
    ASSERT_TRUE(session.ReadProperties());
    ASSERT_EQ(session.m_cProps, 2u);
    EXPECT_STREQ(session.m_pProps[0].Value.lpszA, "Anna");
    const long blocks = book.state().liveBlocks;

    // A second read frees the first array.
    ASSERT_TRUE(session.ReadProperties());
    EXPECT_EQ(book.state().liveBlocks, blocks);

    // An entry that cannot be opened leaves the previous array in place.
    const SPropValue* before = session.m_pProps;
    session.SetCurrentEntry(list.GetItemData(1));
    EXPECT_FALSE(session.ReadProperties());
    EXPECT_EQ(session.m_pProps, before);
    EXPECT_EQ(session.m_cProps, 2u);

    // GetProps giving no array: the session holds none.
    book.state().getPropsNoArray = true;
    session.SetCurrentEntry(list.GetItemData(2));
    EXPECT_FALSE(session.ReadProperties());
    EXPECT_EQ(session.m_pProps, nullptr);
    EXPECT_EQ(session.m_cProps, 0u);
}

TEST(AddressBookSessionTest, ExportsLeaveOutUnreadableContacts) {
    FakeBook book;
    book.state().entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3)};
    book.state().entries[1].failOpen = true;
    CAddressBookSession session("");
    CompactList list;
    ASSERT_EQ(session.FillList(list), S_OK);
    testing_support::NullProgress progress;

    testing_support::RecordingFile vcards;
    EXPECT_EQ(ExportVCards(vcards, list, LVNI_ALL, progress, session), 1u);
    EXPECT_EQ(vcards.text(),
              "BEGIN:VCARD\nVERSION:2.1\nN:;given Anna;;;\nFN:Anna\nEND:VCARD\n"
              "BEGIN:VCARD\nVERSION:2.1\nN:;given Cleo;;;\nFN:Cleo\nEND:VCARD\n");

    testing_support::RecordingFile csv;
    EXPECT_EQ(ExportCsv(csv, list, LVNI_ALL, progress, session), 1u);
    EXPECT_EQ(csv.text(),
              "\"Anna\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"
              "\"Cleo\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n");
}

TEST(AddressBookSessionTest, AnUnopenedSessionIsSafeToUseAndDestroy) {
    FakeBook book;
    book.state().openResult = MAPI_E_CALL_FAILED;
    const std::vector<BYTE> bytes = {1, 2, 3};
    EntryRef entry{3, const_cast<BYTE*>(bytes.data())};
    {
        CAddressBookSession session("");
        ASSERT_FALSE(session.m_bOpened);
        CompactList list;
        list.InsertItem(0, "Anna", &entry);
        list.SetItemSelected(0, true);
        EXPECT_TRUE(FAILED(session.FillList(list)));
        EXPECT_EQ(session.SelectEntry(list, -1), 1);
        EXPECT_FALSE(session.ReadProperties());
        session.ShowDetails(list);
        EXPECT_EQ(book.state().detailsCalls, 0);
    }
    ExpectNothingLeft(book.state());
}

}  // namespace
