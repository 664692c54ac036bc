// Reference counting shared by the library's objects: each starts with one
// reference, and the last Release deletes it.
#pragma once

#include "properties/WabDefs.h"

namespace wab32 {

template <typename Interface>
class CRefCounted : public Interface {
  public:
    ULONG Release() final {
        const ULONG left = --m_cRef;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  private:
    ULONG m_cRef = 1;
};

}  // namespace wab32
