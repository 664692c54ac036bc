// A stored entry (a mail user or a distribution list) opened by OpenEntry:
// its object type and a copy of its properties as read at opening.
#pragma once

#include "addressbook/WabInterface.h"
#include "wab32/BookFormat.h"
#include "wab32/RefCounted.h"

#include <string>
#include <vector>

namespace wab32 {

class CWabMailUser final : public IMailUser {
  public:
    CWabMailUser(ULONG objectType, std::string blob);
    HRESULT GetProps(const SPropTagArray* lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     SPropValue** lppPropArray) override;
    ULONG Release() override;
    ULONG ObjectType() const { return m_objectType; }

  private:
    ~CWabMailUser() override = default;
    CRefCount m_ref;
    ULONG m_objectType;
    std::string m_blob;
    std::vector<PropertyView> m_views;
};

}  // namespace wab32
