#include "framework/button.h"

CButton::~CButton()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

BOOL CButton::Create(const wchar_t* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    m_hWnd =
        ::CreateWindowExW(0, L"BUTTON", caption, style, rect.left, rect.top, rect.right - rect.left,
                          rect.bottom - rect.top, parent ? parent->GetSafeHwnd() : nullptr,
                          reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), ::GetModuleHandleW(nullptr), nullptr);
    return m_hWnd != nullptr;
}
