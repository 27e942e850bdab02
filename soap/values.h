#pragma once
// Values of a parameter record as element text: read from a response,
// written into a request, and freed. A value lives at `value` in its record
// and has one of the SoapType codes.
#include "soap/markup_writer.h"

#include <windows.h>

// "1"/"true" and "0"/"false", exactly; anything else is E_FAIL.
HRESULT ParseBoolean(const wchar_t* text, int length, bool* value);
// Stores element text as a value of the type code at `value`.
HRESULT ReadValue(const wchar_t* text, int length, void* value, int typeCode);
// Writes the value as element text, escaped; a type this program never
// sends records E_NOTIMPL in `out`.
void WriteValue(int typeCode, const void* value, CMarkupWriter& out);
// Frees what the value owns and nulls it.
HRESULT FreeValue(void* value, int typeCode);
