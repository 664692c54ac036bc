// The personal address book container: its own few properties and the
// contents table of the book's entries.
#pragma once

#include "addressbook/WabInterface.h"
#include "wab32/BookFormat.h"
#include "wab32/BookStore.h"
#include "wab32/PropertyObject.h"

#include <memory>
#include <string>
#include <vector>

namespace wab32 {

inline constexpr const char* kPersonalAddressBookName = "Personal Address Book";

class CWabContainer final : public CPropertyObject<IABContainer> {
  public:
    explicit CWabContainer(std::shared_ptr<CBookStore> store);
    HRESULT GetContentsTable(ULONG ulFlags, IMAPITable** lppTable) override;

  private:
    ~CWabContainer() override = default;
    std::shared_ptr<CBookStore> m_store;
};

}  // namespace wab32
