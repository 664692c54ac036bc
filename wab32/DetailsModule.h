// The entry point of libwab32-details.so, the module that holds the details
// window. libwab32.so loads it on the first Details call, so programs that
// never show the window never load Qt through the library.
#pragma once

#include "properties/WabDefs.h"

extern "C" {
// Shows the modal, read-only window for one entry's properties. Fails with
// MAPI_E_CALL_FAILED when the process has no QApplication.
using WabShowDetailsFn = HRESULT (*)(const SPropValue* props, ULONG count, ULONG objectType);
}

inline constexpr const char* kDetailsModuleName = "libwab32-details.so";
inline constexpr const char* kDetailsExport = "WabShowDetails";
