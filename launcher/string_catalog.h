#pragma once
// The built-in texts the launcher shows, keyed by numeric identifiers, in an
// English and a Spanish table. A missing identifier yields the empty text.
#include <windows.h>

#include "framework/cstring.h"

// Selects the table: 1 is Spanish, every other value English. Nothing in the
// program changes it.
extern int g_language;

namespace StringCatalog {

// A copy of the text (it shares the table's buffer until changed).
CString Get(UINT id);
// What follows the first line feed of Get(id), or all of it without one.
CString GetAfterNewline(UINT id);

} // namespace StringCatalog
