#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "core/ExportRun.h"
#include "platform/WabDllPath.h"
#include "tests/addressbook/FakeBook.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

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

// A session over Anna, Bert and Cleo, all listed.
struct Listed {
    FakeBook book;
    CAddressBookSession session{""};
    CompactList list;
    Listed() {
        book.state().entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3)};
        EXPECT_EQ(session.FillList(list), S_OK);
    }
};

TEST(WabDllPathTest, FitsOrGivesTheEmptyString) {
    const struct {
        bool set;
        std::size_t length;
        bool fits;
    } cases[] = {{false, 0, false}, {true, 0, false},   {true, 12, true},
                 {true, 259, true}, {true, 260, false}, {true, 261, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
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
        EXPECT_EQ(std::string(buffer + kWabDllPathSize, 16), std::string(16, 'Z'))
            << "written past the buffer";
    }
    unsetenv(kWabDllPathVariable);
}

// Opened only when WABOpen gives S_OK; otherwise the session holds nothing of
// the library, unloads it at once, and is safe to use and destroy.
TEST(AddressBookSessionTest, OpensOnlyOnAZeroResult) {
    const std::string noOpen = FAKE_WAB_NO_OPEN_PATH;
    const struct {
        std::string library;
        HRESULT result;
        std::string error;
    } cases[] = {
        {FAKE_WAB_PATH, S_OK, ""},
        {FAKE_WAB_PATH, MAPI_W_ERRORS_RETURNED, "WABOpen failed with code 0x00040380"},
        {FAKE_WAB_PATH, MAPI_E_CORRUPT_DATA,
         "WABOpen failed with code 0x8004011B (not an address book, or a damaged one)"},
        {noOpen, S_OK, noOpen + " has no WABOpen"},
        // The loader's own text, without the name a second time.
        {"/nonexistent/libnothing.so", S_OK,
         "cannot load /nonexistent/libnothing.so: cannot open shared object file: No such file "
         "or directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        FakeBook book;
        book.state().openResult = c.result;
        setenv(kWabDllPathVariable, c.library.c_str(), 1);
        {
            CAddressBookSession session(FAKE_WAB_PATH);
            EXPECT_EQ(session.m_bOpened, c.error.empty());
            EXPECT_EQ(session.OpenError(), c.error);
            if (c.library != FAKE_WAB_PATH) {
                EXPECT_EQ(dlopen(c.library.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
            } else {
                EXPECT_EQ(book.state().fileName, FAKE_WAB_PATH);
                EXPECT_EQ(book.state().paramSize, sizeof(WAB_PARAM));
            }
            if (!c.error.empty()) {
                ExpectNothingLeft(book.state());
                BYTE bytes[] = {1, 2, 3};
                EntryRef entry{3, bytes};
                CompactList list;
                list.InsertItem(0, "Anna", &entry);
                list.SetItemSelected(0, true);
                EXPECT_TRUE(FAILED(session.FillList(list)));
                EXPECT_EQ(session.SelectEntry(list, -1), 1);
                EXPECT_FALSE(session.ReadProperties());
                session.ShowDetails(list);
                EXPECT_EQ(book.state().detailsCalls, 0);
            }
        }
        ExpectNothingLeft(book.state());
    }
}

// Anna, Bad and Cleo, the second changed by each row, or a failing call.
TEST(AddressBookSessionTest, FillListFollowsTheFailureRules) {
    using S = FakeWabState&;
    const std::vector<std::string> two = {"Anna", "Cleo"}, none;
    const ULONG kNoName = PROP_TAG(PT_ERROR, PROP_ID(PR_DISPLAY_NAME_A));
    const ULONG kNoId = PROP_TAG(PT_ERROR, PROP_ID(PR_ENTRYID));
    const ULONG kNoType = PROP_TAG(PT_ERROR, PROP_ID(PR_OBJECT_TYPE));
    const struct {
        const char* what;
        HRESULT result;
        std::vector<std::string> names;
        std::function<void(S)> arrange;
    } cases[] = {
        {"display-name order",
         S_OK,
         {"Alice", "Alice", "alice", "bob", "carol"},
         [](S s) {
             s.entries = {Contact("carol", 1), Contact("Alice", 2), Contact("bob", 3),
                          Contact("Alice", 4), Contact("alice", 5)};
         }},
        {"distribution list", S_OK, two, [](S s) { s.entries[1].objectType = MAPI_DISTLIST; }},
        {"container", S_OK, two, [](S s) { s.entries[1].objectType = MAPI_ABCONT; }},
        {"no contacts: the one QueryRows's result", 7, none,
         [](S s) {
             s.entries.clear();
             s.queryEndResult = 7;
         }},
        {"QueryRows failing keeps the earlier items",
         MAPI_E_CORRUPT_DATA,
         {"Anna", "Bad"},
         [](S s) {
             s.queryFailAt = 2;
             s.queryFailCode = MAPI_E_CORRUPT_DATA;
         }},
        {"QueryRows without a row set ends the list",
         S_OK,
         {"Anna"},
         [](S s) {
             s.queryFailAt = 1;
             s.queryFailCode = S_OK;
         }},
        {"GetPAB", MAPI_E_NO_ACCESS, none, [](S s) { s.getPabResult = MAPI_E_NO_ACCESS; }},
        {"GetPAB without id", MAPI_E_CALL_FAILED, none, [](S s) { s.pabNullId = true; }},
        {"OpenEntry", MAPI_E_NOT_FOUND, none,
         [](S s) { s.openContainerResult = MAPI_E_NOT_FOUND; }},
        {"not a container", MAPI_E_CALL_FAILED, none, [](S s) { s.containerIsMailUser = true; }},
        {"GetContentsTable", MAPI_E_NO_SUPPORT, none,
         [](S s) { s.contentsResult = MAPI_E_NO_SUPPORT; }},
        {"SetColumns", MAPI_E_NO_SUPPORT, none,
         [](S s) { s.setColumnsResult = MAPI_E_NO_SUPPORT; }},
        {"SeekRow", MAPI_E_CALL_FAILED, none, [](S s) { s.seekResult = MAPI_E_CALL_FAILED; }},
        {"no display name: the empty name",
         S_OK,
         {"", "Anna", "Cleo"},
         [&](S s) { s.entries[1].tags[0] = kNoName; }},
        {"null display name", S_OK, two, [](S s) { s.entries[1].nullName = true; }},
        {"no entry id", S_OK, two, [&](S s) { s.entries[1].tags[1] = kNoId; }},
        {"empty entry id", S_OK, two, [](S s) { s.entries[1].id.clear(); }},
        {"no object type", S_OK, two, [&](S s) { s.entries[1].tags[2] = kNoType; }},
        {"two columns", S_OK, two, [](S s) { s.entries[1].columns = 2; }},
        {"no property records", S_OK, two, [](S s) { s.entries[1].noProps = true; }},
        {"AllocateBuffer", S_OK, two, [](S s) { s.failAllocateBuffer = {1}; }},
        {"AllocateMore", S_OK, two, [](S s) { s.failAllocateMore = {1}; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeBook book;
        book.state().entries = {Contact("Anna", 1), Contact("Bad", 2), Contact("Cleo", 3)};
        c.arrange(book.state());
        {
            CAddressBookSession session("");
            CompactList list;
            EXPECT_EQ(session.FillList(list), c.result);
            std::vector<std::string> names;
            for (int i = 0; i < list.GetItemCount(); ++i) {
                names.emplace_back(list.GetItemText(i));
                // Each item's data is its own copy of its entry's id.
                const EntryRef* ref = list.GetItemData(i);
                const std::vector<BYTE> id(ref->lpb, ref->lpb + ref->cb);
                const auto& entries = book.state().entries;
                EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [&](const FakeEntry& e) {
                    return e.id == id && (e.name == names.back() || names.back().empty());
                })) << names.back();
            }
            EXPECT_EQ(names, c.names);
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
        session.SetCurrentEntry(list.GetItemData(1));
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

// SelectEntry makes the next selected item after `start` current; ShowDetails
// shows the first selected one, or nothing.
TEST(AddressBookSessionTest, SelectEntryAndShowDetailsFollowTheSelection) {
    Listed l;
    l.session.ShowDetails(l.list);
    EXPECT_EQ(l.book.state().detailsCalls, 0);
    EXPECT_FALSE(l.session.ReadProperties());

    l.list.SetItemSelected(1, true);
    l.list.SetItemSelected(2, true);
    EXPECT_EQ(l.session.SelectEntry(l.list, -1), 1);
    EXPECT_EQ(CurrentName(l.session), "Bert");
    EXPECT_EQ(l.session.SelectEntry(l.list, 1), 1);
    EXPECT_EQ(CurrentName(l.session), "Cleo");
    // The start item itself is never returned: nothing after the last one.
    EXPECT_EQ(l.session.SelectEntry(l.list, 2), -1);
    EXPECT_EQ(CurrentName(l.session), "Cleo");

    l.session.ShowDetails(l.list);
    EXPECT_EQ(l.book.state().detailsCalls, 1);
    EXPECT_EQ(l.book.state().detailsId, l.book.state().entries[1].id);
    EXPECT_EQ(CurrentName(l.session), "Bert");
}

TEST(AddressBookSessionTest, ReadPropertiesTellsWhetherItRead) {
    Listed l;
    l.book.state().entries[1].failOpen = true;
    // No current entry: nothing changes.
    EXPECT_FALSE(l.session.ReadProperties());
    EXPECT_EQ(l.session.m_pProps, nullptr);

    l.session.SetCurrentEntry(l.list.GetItemData(0));
    ASSERT_TRUE(l.session.ReadProperties());
    ASSERT_EQ(l.session.m_cProps, 2u);
    EXPECT_STREQ(l.session.m_pProps[0].Value.lpszA, "Anna");
    const long blocks = l.book.state().liveBlocks;
    // A second read frees the first array.
    ASSERT_TRUE(l.session.ReadProperties());
    EXPECT_EQ(l.book.state().liveBlocks, blocks);

    // An entry that cannot be opened leaves the previous array in place.
    const SPropValue* before = l.session.m_pProps;
    l.session.SetCurrentEntry(l.list.GetItemData(1));
    EXPECT_FALSE(l.session.ReadProperties());
    EXPECT_EQ(l.session.m_pProps, before);
    EXPECT_EQ(l.session.m_cProps, 2u);

    // GetProps giving no array: the session holds none.
    l.book.state().getPropsNoArray = true;
    l.session.SetCurrentEntry(l.list.GetItemData(2));
    EXPECT_FALSE(l.session.ReadProperties());
    EXPECT_EQ(l.session.m_pProps, nullptr);
    EXPECT_EQ(l.session.m_cProps, 0u);
}

TEST(AddressBookSessionTest, ExportsLeaveOutUnreadableContacts) {
    Listed l;
    l.book.state().entries[1].failOpen = true;
    testing_support::NullProgress progress;
    testing_support::RecordingFile vcards;
    EXPECT_EQ(ExportVCards(vcards, l.list, LVNI_ALL, progress, l.session), 1u);
    EXPECT_EQ(vcards.text(),
              "BEGIN:VCARD\nVERSION:2.1\nN:;given Anna;;;\nFN:Anna\nEND:VCARD\n"
              "BEGIN:VCARD\nVERSION:2.1\nN:;given Cleo;;;\nFN:Cleo\nEND:VCARD\n");
    testing_support::RecordingFile csv;
    EXPECT_EQ(ExportCsv(csv, l.list, LVNI_ALL, progress, l.session), 1u);
    EXPECT_EQ(csv.text(),
              "\"Anna\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n"
              "\"Cleo\",,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\n");
}

}  // namespace
