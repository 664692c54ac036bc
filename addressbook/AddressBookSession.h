#pragma once

#include "addressbook/WabInterface.h"
#include "core/ContactSource.h"
#include "core/ContactTypes.h"
#include "core/EntryRef.h"
#include "platform/ListControl.h"
#include "platform/OutputFile.h"
#include "platform/ProgressControl.h"

#include <cstddef>
#include <string>
#include <vector>

// One opened address book: loads the library, opens the book, lists its mail
// users, keeps a current entry and its property array, and exports.
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
    int SelectEntry(const ListControl& list, int start);
    void ShowDetails(const ListControl& list);
    bool ReadProperties() override;

    void WriteVCard(OutputFile& file);
    std::size_t ExportVCards(OutputFile& file, const ListControl& list, ExportScope scope,
                             ProgressControl& progress);
    std::size_t ExportCsv(OutputFile& file, const ListControl& list, ExportScope scope,
                          ProgressControl& progress);

    const SPropValue* CurrentProps() const override { return m_pProps; }
    ULONG CurrentPropCount() const override { return m_cProps; }

    BOOL m_bOpened = 0;
    void* m_hWabLib = nullptr;
    IAddrBook* m_pAddrBook = nullptr;
    IWABObject* m_pWabObject = nullptr;
    SPropValue* m_pProps = nullptr;
    ULONG m_cProps = 0;
    ULONG m_cbEntryId = 0;
    BYTE* m_pEntryId = nullptr;

  private:
    // Every EntryRef this session made; freed when the session ends.
    std::vector<EntryRef*> m_entryRefs;
};
