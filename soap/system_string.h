#pragma once
// System strings that the SOAP layer allocates for values and releases in
// FreeValue. Tests may route them through counting functions.
#include <ole2.h>

struct SystemStringAllocator {
    BSTR(WINAPI* m_allocate)(const wchar_t* text, UINT length);
    void(WINAPI* m_free)(BSTR text);
};

// Replaces the allocator; null restores SysAllocStringLen / SysFreeString.
void SetSystemStringAllocator(const SystemStringAllocator* allocator);

BSTR AllocSystemString(const wchar_t* text, UINT length);
void FreeSystemString(BSTR text);
