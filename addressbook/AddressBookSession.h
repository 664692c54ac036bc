#pragma once

#include "addressbook/WabInterface.h"
#include "core/ContactSource.h"
#include "core/ContactTypes.h"
#include "platform/FileIdentity.h"
#include "platform/ListControl.h"
#include "properties/EntryRef.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One opened address book: loads the library, opens the book, lists its mail
// users, keeps a current entry and its property array (the contacts an
// export reads), and shows the library's details window.
class CAddressBookSession : public ContactSource {
  public:
    // An empty path opens the user's default book. Always completes; test
    // m_bOpened.
    explicit CAddressBookSession(const std::string& path);
    virtual ~CAddressBookSession();
    CAddressBookSession(const CAddressBookSession&) = delete;
    CAddressBookSession& operator=(const CAddressBookSession&) = delete;

    BOOL LoadWabDll();
    BOOL OpenAddressBook(const std::string& path);
    // Adds one item per mail user to the list; returns the last result code.
    HRESULT FillList(ListControl& list);
    void FreeRows(SRowSet* rows);
    void SetCurrentEntry(const EntryRef* entry) override;
    // Makes the next selected item after start current; -1 when there is
    // none, 0 when its copy could not be allocated.
    int SelectEntry(const ListControl& list, int start);
    // Shows the first selected contact in the library's details window. S_OK
    // when shown or when none is selected; else why not: the library's
    // result, or the failure to copy the contact's id.
    HRESULT ShowDetails(const ListControl& list);
    // False when there is no current entry or it could not be opened or read.
    bool ReadProperties() override;

    const SPropValue* CurrentProps() const override { return m_pProps; }
    ULONG CurrentPropCount() const override { return m_cProps; }

    // Why the session did not open (empty once opened), for messages.
    const std::string& OpenError() const { return m_strOpenError; }
    // The book's file: the path given, or the default book's.
    const std::string& BookPath() const { return m_strBookPath; }
    // Which file the opened book is, so that no output is ever written over
    // it; nullopt when the session is not opened.
    const std::optional<FileIdentity>& BookIdentity() const { return m_bookIdentity; }

    BOOL m_bOpened = 0;
    SPropValue* m_pProps = nullptr;
    ULONG m_cProps = 0;

  private:
    struct LibraryCloser {
        void operator()(void* module) const;
    };
    struct LocalFreer {
        void operator()(BYTE* block) const;
    };
    void AddRow(ListControl& list, const SRow& row);
    EntryRef* MakeEntryRef(const SBinary& id);

    // Declared in the order they must go: the library last.
    std::unique_ptr<void, LibraryCloser> m_hWabLib;
    ObjectRef<IWABObject> m_pWabObject;
    ObjectRef<IAddrBook> m_pAddrBook;
    std::unique_ptr<BYTE, LocalFreer> m_pEntryId;
    ULONG m_cbEntryId = 0;
    // Every EntryRef this session made; freed when the session ends.
    std::vector<EntryRef*> m_entryRefs;
    std::string m_strOpenError;
    std::string m_strLibraryName;
    std::string m_strBookPath;
    std::optional<FileIdentity> m_bookIdentity;
};
