// The personal address book container: its own few properties and the
// contents table of the book's entries.
#pragma once

#include "addressbook/WabInterface.h"
#include "wab32/BookFormat.h"
#include "wab32/BookStore.h"
#include "wab32/RefCounted.h"

#include <memory>
#include <string>
#include <vector>

namespace wab32 {

inline constexpr const char* kPersonalAddressBookName = "Personal Address Book";

class CWabContainer final : public IABContainer {
  public:
    explicit CWabContainer(std::shared_ptr<CBookStore> store);
    HRESULT GetProps(const SPropTagArray* lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     SPropValue** lppPropArray) override;
    HRESULT GetContentsTable(ULONG ulFlags, IMAPITable** lppTable) override;
    ULONG Release() override;

  private:
    ~CWabContainer() override = default;
    CRefCount m_ref;
    std::shared_ptr<CBookStore> m_store;
    std::string m_blob;
    std::vector<PropertyView> m_views;
};

}  // namespace wab32
