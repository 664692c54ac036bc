// Builds the property records the library hands out: the records, their
// strings, string arrays and binaries together in one library block.
#pragma once

#include "properties/WabDefs.h"
#include "wab32/BookFormat.h"

#include <span>
#include <vector>

namespace wab32 {

// A view for a column or property the entry lacks: PT_ERROR, MAPI_E_NOT_FOUND.
PropertyView MissingProperty(ULONG tag);

// Copies the views into one new block; *lppProps is null on failure.
HRESULT BuildPropertyBlock(std::span<const PropertyView> views, SPropValue** lppProps);

// Selects the properties a tag list asks for from an entry's blob: all of
// them in stored order for a null list, else one per requested tag (its last
// occurrence, a type of 0 matching any type), missing ones as PT_ERROR.
// Returns S_OK, MAPI_W_ERRORS_RETURNED when some were missing, or
// MAPI_E_CORRUPT_DATA for a damaged blob.
HRESULT SelectProperties(std::string_view blob, const SPropTagArray* tags,
                         std::vector<PropertyView>& out);

// GetProps over a blob: the selected properties as one new block. Unicode
// strings are not supported; views is scratch space kept between calls.
HRESULT GetBlobProps(std::string_view blob, std::vector<PropertyView>& views,
                     const SPropTagArray* lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                     SPropValue** lppPropArray);

}  // namespace wab32
