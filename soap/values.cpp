#include "soap/values.h"

#include "soap/descriptor.h"
#include "soap/system_string.h"
#include "soap/xml_escape.h"

#include <cstdlib>
#include <cwchar>
#include <new>
#include <string>

HRESULT ParseBoolean(const wchar_t* text, int length, bool* value)
{
    if (!text)
        return E_FAIL;
    if ((length == 1 && text[0] == L'1') || (length == 4 && std::wmemcmp(text, L"true", 4) == 0)) {
        *value = true;
        return S_OK;
    }
    if ((length == 1 && text[0] == L'0') || (length == 5 && std::wmemcmp(text, L"false", 5) == 0)) {
        *value = false;
        return S_OK;
    }
    return E_FAIL;
}

HRESULT ReadValue(const wchar_t* text, int length, void* value, int typeCode)
{
    if (!value || length < 0)
        return E_POINTER;
    if (IsStringType(typeCode)) {
        BSTR copy = AllocSystemString(length ? text : nullptr, static_cast<UINT>(length));
        if (!copy)
            return E_OUTOFMEMORY;
        // A value read twice must not leak the first one.
        BSTR& slot = *static_cast<BSTR*>(value);
        if (slot)
            FreeSystemString(slot);
        slot = copy;
        return S_OK;
    }
    if (typeCode == SoapType::kBoolean) {
        bool flag = false;
        const HRESULT hr = ParseBoolean(text, length, &flag);
        if (SUCCEEDED(hr))
            *static_cast<bool*>(value) = flag;
        return hr;
    }
    return E_NOTIMPL; // no other value types are received by this program
}

void WriteValue(int typeCode, const void* value, CMarkupWriter& out)
{
    if (typeCode == SoapType::kInt) {
        char digits[16];
        if (_itoa_s(*static_cast<const int*>(value), digits, sizeof digits, 10) != 0)
            out.Fail(E_FAIL);
        else
            out.Text(digits);
        return;
    }
    if (!IsStringType(typeCode)) {
        out.Fail(E_NOTIMPL); // no other value types are sent by this program
        return;
    }
    const BSTR text = *static_cast<const BSTR*>(value);
    const int length = static_cast<int>(::SysStringLen(text));
    if (length == 0)
        return;
    const int needed = EscapeXmlText(text, length, nullptr, 0, false);
    std::string escaped;
    try {
        escaped.resize(static_cast<size_t>(needed));
    } catch (const std::bad_alloc&) {
        out.Fail(E_OUTOFMEMORY);
        return;
    }
    EscapeXmlText(text, length, escaped.data(), needed, false);
    out.Text(escaped.data(), needed);
}

HRESULT FreeValue(void* value, int typeCode)
{
    if (!value)
        return E_POINTER;
    if (IsStringType(typeCode)) {
        BSTR& slot = *static_cast<BSTR*>(value);
        if (slot)
            FreeSystemString(slot);
        slot = nullptr;
    }
    return S_OK;
}
