// A stored entry (a mail user or a distribution list) opened by OpenEntry:
// a copy of its properties as read at opening.
#pragma once

#include "addressbook/WabInterface.h"
#include "wab32/PropertyObject.h"

namespace wab32 {

using CWabMailUser = CPropertyObject<IMailUser>;

}  // namespace wab32
