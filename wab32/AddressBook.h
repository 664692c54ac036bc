// The opened book as the program sees it: the personal address book's id,
// opening of entries by id, and the details window.
#pragma once

#include "addressbook/WabInterface.h"
#include "wab32/BookStore.h"
#include "wab32/DetailsModule.h"
#include "wab32/RefCounted.h"

#include <memory>
#include <string>
#include <vector>

namespace wab32 {

class CWabAddrBook final : public CRefCounted<IAddrBook> {
  public:
    explicit CWabAddrBook(std::shared_ptr<CBookStore> store);
    HRESULT GetPAB(ULONG* lpcbEntryID, ENTRYID** lppEntryID) override;
    HRESULT OpenEntry(ULONG cbEntryID, const ENTRYID* lpEntryID, const void* lpInterface,
                      ULONG ulFlags, ULONG* lpulObjType, IUnknown** lppUnk) override;
    HRESULT Details(std::uintptr_t* lpulUIParam, DismissCallback lpfnDismiss,
                    void* lpvDismissContext, ULONG cbEntryID, const ENTRYID* lpEntryID,
                    ButtonCallback lpfButtonCallback, void* lpvButtonContext,
                    const char* lpszButtonText, ULONG ulFlags) override;

  private:
    ~CWabAddrBook() override = default;
    WabShowDetailsFn LoadDetailsModule();

    std::shared_ptr<CBookStore> m_store;
    WabShowDetailsFn m_showDetails = nullptr;
    std::string m_blob;
};

}  // namespace wab32
