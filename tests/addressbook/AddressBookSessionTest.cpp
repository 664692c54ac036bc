#include "addressbook/AddressBookSession.h"
#include "cli/CompactList.h"
#include "platform/LocalHeap.h"
#include "platform/WabDllPath.h"
#include "tests/addressbook/FakeBook.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>

static bool g_localHeapFails = false;

// A local heap that gives no block while g_localHeapFails is set, linked in
// place of the real one.
void* LocalAlloc(unsigned /*flags*/, std::size_t bytes) {
    return g_localHeapFails || bytes == 0 ? nullptr : std::calloc(1, bytes);
}

void* LocalFree(void* block) {
    std::free(block);
    return nullptr;
}

namespace {

TEST(WabDllPathTest, FitsOrGivesTheEmptyString) {
    // A length of -1 leaves the variable unset.
    for (const int length : {-1, 0, 259, 260}) {
        const std::string value(static_cast<std::size_t>(std::max(length, 0)), 'p');
        length < 0 ? unsetenv(kWabDllPathVariable) : setenv(kWabDllPathVariable, value.c_str(), 1);
        char buffer[kWabDllPathSize + 16];
        std::memset(buffer, 'Z', sizeof buffer);
        const bool fits = ReadWabDllPath(buffer, kWabDllPathSize);
        // Whether it fits, what it read, and the bytes past the buffer.
        EXPECT_EQ(std::to_string(fits) + buffer + "|" + std::string(buffer + kWabDllPathSize, 16),
                  (length == 259 ? "1" + value : "0") + "|" + std::string(16, 'Z'))
            << length;
    }
    char one = 'Z';  // room for the empty string only
    EXPECT_FALSE(ReadWabDllPath(&one, 1));
    EXPECT_EQ(one, '\0');
    unsetenv(kWabDllPathVariable);
}

// A session over the fake library holding Anna, Bert and Cleo. Every library
// block and object must be back once the session ends.
class AddressBookSessionTest : public testing::Test {
  protected:
    void SetUp() override {
        m_book.state().entries = {Contact("Anna", 1), Contact("Bert", 2), Contact("Cleo", 3)};
    }
    void TearDown() override { Close(); }

    // Opens the session and lists the book: "name@i" per item, i the fake
    // entry whose id the item's own copy holds.
    std::string Fill(HRESULT expected = S_OK) {
        m_list.DeleteAllItems();
        m_session.emplace("");
        EXPECT_EQ(m_session->FillList(m_list), expected);
        std::string items;
        const auto& entries = m_book.state().entries;
        for (int i = 0; i < m_list.GetItemCount(); ++i) {
            const EntryRef* ref = m_list.GetItemData(i);
            const std::vector<BYTE> id(ref->lpb, ref->lpb + ref->cb);
            const auto e = std::ranges::find_if(entries, [&](const auto& f) { return f.id == id; });
            items += std::string(i > 0 ? " " : "") + std::string(m_list.GetItemText(i)) + "@" +
                     std::to_string(e - entries.begin());
        }
        return items;
    }

    void Close() {
        m_session.reset();
        ExpectNothingLeft();
    }
    void ExpectNothingLeft() {
        EXPECT_EQ(m_book.state().liveBlocks, 0);
        EXPECT_EQ(m_book.state().liveObjects, 0);
        EXPECT_EQ(m_book.state().badFrees, 0);
    }

    // Reads the current entry: "read" if it did, then the count of properties
    // held and the first one.
    std::string Read() {
        const std::string read = m_session->ReadProperties() ? "read " : "";
        return read + std::to_string(m_session->m_cProps) +
               (m_session->m_pProps != nullptr
                    ? std::string(" ") + m_session->m_pProps[0].Value.lpszA
                    : "");
    }

    FakeBook m_book;
    std::optional<CAddressBookSession> m_session;
    CompactList m_list;
};

// Opened only when WABOpen gives S_OK; otherwise the session holds nothing of
// the library, unloads it at once, and is safe to use and destroy.
TEST_F(AddressBookSessionTest, OpensOnlyOnAZeroResult) {
    const std::string noOpen = FAKE_WAB_NO_OPEN_PATH;
    const struct {
        std::string library;
        HRESULT result;
        std::string error;
    } cases[] = {
        {FAKE_WAB_PATH, S_OK, ""},
        {FAKE_WAB_PATH, MAPI_W_ERRORS_RETURNED, "WABOpen failed with code 0x00040380"},
        {FAKE_WAB_PATH, MAPI_E_CALL_FAILED,
         "WABOpen failed with code 0x80004005 (the book may be locked by another program)"},
        {noOpen, S_OK, noOpen + " has no WABOpen"},
        // The loader's own text, without the name a second time.
        {"/nonexistent/libnothing.so", S_OK,
         "cannot load /nonexistent/libnothing.so: cannot open shared object file: No such file "
         "or directory"},
    };
    BYTE bytes[] = {1, 2, 3};
    EntryRef entry{3, bytes};
    m_list.InsertItem(0, "Anna", &entry);
    m_list.SetItemSelected(0, true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        m_book.state() = FakeWabState();
        m_book.state().openResult = c.result;
        setenv(kWabDllPathVariable, c.library.c_str(), 1);
        m_session.emplace(FAKE_WAB_PATH);
        EXPECT_EQ(m_session->m_bOpened, c.error.empty());
        EXPECT_EQ(m_session->OpenError(), c.error);
        // The book named to WABOpen; any other library unloaded at once.
        EXPECT_EQ(m_book.state().fileName, c.library == FAKE_WAB_PATH ? FAKE_WAB_PATH : "");
        if (c.library != FAKE_WAB_PATH) {
            EXPECT_EQ(dlopen(c.library.c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr);
        }
        if (!c.error.empty()) {
            ExpectNothingLeft();
            // Listing fails; selecting copies the id; nothing is read or shown.
            const bool listed = !FAILED(m_session->FillList(m_list));
            const int selected = m_session->SelectEntry(m_list, -1);
            m_session->ShowDetails(m_list);
            EXPECT_EQ(std::to_string(listed) + std::to_string(selected) + Read() +
                          std::to_string(m_book.state().detailsCalls),
                      "0100");
        }
        Close();
    }
}

// Anna, Bert and Cleo, the second changed by each row, or a failing call.
TEST_F(AddressBookSessionTest, FillListFollowsTheFailureRules) {
    using S = FakeWabState&;
    const struct {
        const char* what;
        HRESULT result;
        std::string items;
        std::function<void(S)> arrange;
    } cases[] = {
        {"distribution list", S_OK, "Anna@0 Cleo@2",
         [](S s) { s.entries[1].objectType = MAPI_DISTLIST; }},
        {"no contacts: the one QueryRows's result", 7, "",
         [](S s) {
             s.entries.clear();
             s.queryEndResult = 7;
         }},
        {"QueryRows failing keeps the earlier items", MAPI_E_CORRUPT_DATA, "Anna@0 Bert@1",
         [](S s) { s.queryFailAt = 2; }},
        {"QueryRows without a row set ends the list", S_OK, "Anna@0",
         [](S s) {
             s.queryFailAt = 1;
             s.queryFailCode = S_OK;
         }},
        {"GetPAB", MAPI_E_NO_ACCESS, "", [](S s) { s.getPabResult = MAPI_E_NO_ACCESS; }},
        {"GetPAB's warning without id", MAPI_E_CALL_FAILED, "",
         [](S s) { s.getPabResult = MAPI_W_ERRORS_RETURNED; }},
        {"OpenEntry", MAPI_E_NOT_FOUND, "", [](S s) { s.openContainerResult = MAPI_E_NOT_FOUND; }},
        {"not a container", MAPI_E_CALL_FAILED, "", [](S s) { s.containerIsMailUser = true; }},
        {"GetContentsTable", MAPI_E_NO_SUPPORT, "",
         [](S s) { s.contentsResult = MAPI_E_NO_SUPPORT; }},
        {"SetColumns", MAPI_E_NO_SUPPORT, "", [](S s) { s.setColumnsResult = MAPI_E_NO_SUPPORT; }},
        {"SeekRow", MAPI_E_CALL_FAILED, "", [](S s) { s.seekResult = MAPI_E_CALL_FAILED; }},
        {"no display name: the empty name", S_OK, "@1 Anna@0 Cleo@2",
         [](S s) { s.entries[1].tags[0] = PROP_TAG(PT_ERROR, PROP_ID(PR_DISPLAY_NAME_A)); }},
        {"null display name", S_OK, "Anna@0 Cleo@2", [](S s) { s.entries[1].nullName = true; }},
        {"no entry id", S_OK, "Anna@0 Cleo@2",
         [](S s) { s.entries[1].tags[1] = PROP_TAG(PT_ERROR, PROP_ID(PR_ENTRYID)); }},
        {"empty entry id", S_OK, "Anna@0 Cleo@2", [](S s) { s.entries[1].id.clear(); }},
        {"no object type", S_OK, "Anna@0 Cleo@2",
         [](S s) { s.entries[1].tags[2] = PROP_TAG(PT_ERROR, PROP_ID(PR_OBJECT_TYPE)); }},
        {"no property records", S_OK, "Anna@0 Cleo@2", [](S s) { s.entries[1].noProps = true; }},
        {"AllocateBuffer", S_OK, "Anna@0 Cleo@2", [](S s) { s.failAllocateBuffer = 1; }},
        {"AllocateMore", S_OK, "Anna@0 Cleo@2", [](S s) { s.failAllocateMore = 1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_book.state() = FakeWabState();
        SetUp();
        c.arrange(m_book.state());
        EXPECT_EQ(Fill(c.result), c.items);
        Close();
    }
}

// SelectEntry makes the next selected item after `start` current; ShowDetails
// shows the first selected one (the library's result), or nothing.
TEST_F(AddressBookSessionTest, SelectEntryAndShowDetailsFollowTheSelection) {
    Fill();
    EXPECT_EQ(m_session->ShowDetails(m_list), S_OK);
    EXPECT_EQ(m_book.state().detailsCalls, 0);
    m_list.SetItemSelected(1, true);
    m_list.SetItemSelected(2, true);
    // The start item itself is never returned: nothing after the last one.
    std::string got;
    for (const int start : {-1, 1, 2}) {
        got += std::to_string(m_session->SelectEntry(m_list, start)) + " ";
        got += Read() + ", ";
    }
    m_book.state().entries[1].failOpen = true;
    EXPECT_EQ(m_session->ShowDetails(m_list), MAPI_E_NOT_FOUND);
    EXPECT_EQ(got + std::to_string(m_book.state().detailsCalls) + " details, " + Read(),
              "1 read 2 Bert, 1 read 2 Cleo, -1 read 2 Cleo, 1 details, 2 Cleo");
    EXPECT_EQ(m_book.state().detailsId, m_book.state().entries[1].id);
}

// No current entry; Anna twice (the second read frees the first array); Bert,
// who cannot be opened, leaves Anna's; Cleo's GetProps gives no array.
TEST_F(AddressBookSessionTest, ReadPropertiesTellsWhetherItRead) {
    Fill();
    m_book.state().entries[1].failOpen = true;
    std::string got = Read();
    for (const int item : {0, 0, 1, 2}) {
        m_book.state().getPropsNoArray = item == 2;
        m_session->SetCurrentEntry(m_list.GetItemData(item));
        got += ", " + Read();
    }
    EXPECT_EQ(got, "0, read 2 Anna, read 2 Anna, 2 Anna, 0");
}

// With no room on the local heap there is no current entry: no details window,
// the previous array stays, and the teardown finds all freed before the allocator.
TEST_F(AddressBookSessionTest, AFailedCopyLeavesNoCurrentEntry) {
    Fill();
    m_list.SetItemSelected(0, true);
    ASSERT_EQ(m_session->SelectEntry(m_list, -1), 1);
    ASSERT_EQ(Read(), "read 2 Anna");
    g_localHeapFails = true;
    m_session->SetCurrentEntry(m_list.GetItemData(1));
    const int selected = m_session->SelectEntry(m_list, -1);
    EXPECT_EQ(m_session->ShowDetails(m_list), MAPI_E_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(std::to_string(selected) + ", " + std::to_string(m_book.state().detailsCalls) +
                  " details, " + Read(),
              "0, 0 details, 2 Anna");
    g_localHeapFails = false;
}

}  // namespace
