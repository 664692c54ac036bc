#pragma once

#include "properties/WabDefs.h"

// The two values of BOOL results.
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
