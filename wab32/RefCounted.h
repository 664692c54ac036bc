// Reference counting shared by the library's objects: each starts with one
// reference, and the last Release deletes it.
#pragma once

#include "addressbook/WabDefs.h"

namespace wab32 {

class CRefCount {
  public:
    void AddRef() { ++m_cRef; }
    // Returns the references left; the caller deletes the object at 0.
    ULONG Drop() { return --m_cRef; }

  private:
    ULONG m_cRef = 1;
};

}  // namespace wab32
