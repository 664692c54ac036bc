#pragma once

#include <QString>

// The string table: the text of a string resource, or an empty string for an
// id that has none.
QString LoadResourceString(int id);
