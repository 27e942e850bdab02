#include "framework/dc.h"

SIZE CDC::GetTextExtent(const wchar_t* text, int length) const
{
    SIZE size = {0, 0};
    ::GetTextExtentPoint32W(m_hDC, text, length, &size);
    return size;
}

CPaintDC::CPaintDC(HWND hwnd) : m_hWnd(hwnd)
{
    m_hDC = ::BeginPaint(hwnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    ::EndPaint(m_hWnd, &m_ps);
}

CClientDC::CClientDC(HWND hwnd) : m_hWnd(hwnd)
{
    m_hDC = ::GetDC(hwnd);
}

CClientDC::~CClientDC()
{
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
}

CSelectFont::CSelectFont(CDC& dc, HFONT font) : m_dc(dc)
{
    if (font)
        m_previous = dc.SelectObject(font);
}

CSelectFont::~CSelectFont()
{
    if (m_previous)
        m_dc.SelectObject(m_previous);
}
