#pragma once
// The program's string table.
#include "platform/WinTypes.h"

#include <string>
#include <vector>

// The string with this id, or an empty string when the table has none.
std::string LoadResString(UINT id);
// The ids of the table's strings, in ascending order.
std::vector<UINT> StringIds();

// Test seam: replaces the text of one string (an empty text blanks it) until
// ClearResStringOverrides.
void SetResStringOverride(UINT id, const std::string& text);
void ClearResStringOverrides();
