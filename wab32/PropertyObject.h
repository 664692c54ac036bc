// An object whose properties are one stored blob: the mail users and the
// container answer GetProps from it.
#pragma once

#include "wab32/BookFormat.h"
#include "wab32/PropertyBlock.h"
#include "wab32/RefCounted.h"

#include <string>
#include <utility>
#include <vector>

namespace wab32 {

template <typename Interface>
class CPropertyObject : public CRefCounted<Interface> {
  public:
    explicit CPropertyObject(std::string blob) : m_blob(std::move(blob)) {}

    HRESULT GetProps(const SPropTagArray* lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     SPropValue** lppPropArray) final {
        return GetBlobProps(m_blob, m_views, lpPropTagArray, ulFlags, lpcValues, lppPropArray);
    }

  private:
    std::string m_blob;
    std::vector<PropertyView> m_views;
};

}  // namespace wab32
