#pragma once
// Device contexts: CDC wraps an HDC it does not own; CPaintDC and CClientDC
// get theirs from a window and give it back when they go. Selections are
// scoped objects that put the previous font or colour back.
#include <windows.h>

class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }
    operator HDC() const { return m_hDC; }

    SIZE GetTextExtent(const wchar_t* text, int length) const;
    BOOL TextOut(int x, int y, const wchar_t* text, int length) { return ::TextOutW(m_hDC, x, y, text, length); }
    HGDIOBJ SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }
    HGDIOBJ GetCurrentObject(UINT type) const { return ::GetCurrentObject(m_hDC, type); }
    COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int SetGraphicsMode(int mode) { return ::SetGraphicsMode(m_hDC, mode); }
    BOOL SetWorldTransform(const XFORM* transform) { return ::SetWorldTransform(m_hDC, transform); }
    int IntersectClipRect(const RECT& rect)
    {
        return ::IntersectClipRect(m_hDC, rect.left, rect.top, rect.right, rect.bottom);
    }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

protected:
    HDC m_hDC = nullptr; // owned as the derived class says
};

// BeginPaint in the constructor, EndPaint in the destructor.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(HWND hwnd);
    ~CPaintDC() override;

    PAINTSTRUCT m_ps{};

private:
    HWND m_hWnd;
};

// The window's client-area DC, released when the object goes.
class CClientDC : public CDC {
public:
    explicit CClientDC(HWND hwnd);
    ~CClientDC() override;

private:
    HWND m_hWnd;
};

// Selects a font into a DC for the life of the object. A null font selects
// nothing.
class CSelectFont {
public:
    CSelectFont(CDC& dc, HFONT font);
    ~CSelectFont();
    CSelectFont(const CSelectFont&) = delete;
    CSelectFont& operator=(const CSelectFont&) = delete;

private:
    CDC& m_dc;
    HGDIOBJ m_previous = nullptr; // not owned
};

// Sets the text colour of a DC for the life of the object.
class CSelectTextColor {
public:
    CSelectTextColor(CDC& dc, COLORREF color) : m_dc(dc), m_previous(dc.SetTextColor(color)) {}
    ~CSelectTextColor() { m_dc.SetTextColor(m_previous); }
    CSelectTextColor(const CSelectTextColor&) = delete;
    CSelectTextColor& operator=(const CSelectTextColor&) = delete;

private:
    CDC& m_dc;
    COLORREF m_previous;
};
