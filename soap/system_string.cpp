#include "soap/system_string.h"

namespace {

const SystemStringAllocator kSystemAllocator = {&::SysAllocStringLen, &::SysFreeString};
const SystemStringAllocator* g_allocator = &kSystemAllocator;

} // namespace

void SetSystemStringAllocator(const SystemStringAllocator* allocator)
{
    g_allocator = allocator ? allocator : &kSystemAllocator;
}

BSTR AllocSystemString(const wchar_t* text, UINT length)
{
    return g_allocator->m_allocate(text, length);
}

void FreeSystemString(BSTR text)
{
    g_allocator->m_free(text);
}
