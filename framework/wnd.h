#pragma once
// A window object: a non-owning wrapper of an HWND with the message map of
// its class. Derived classes decide who creates and destroys the window.
#include <windows.h>

#include "framework/cstring.h"
#include "framework/message_map.h"

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    explicit CWnd(HWND hwnd) : m_hWnd(hwnd) {}
    ~CWnd() override = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND GetSafeHwnd() const { return m_hWnd; }

    // The root of the run-time classes; derived windows declare theirs with
    // WINDOW_CLASS_MEMBERS.
    virtual const CRuntimeClass* GetRuntimeClass() const { return &classCWnd; }

    // Sees each message a modal loop retrieves before the dialog keyboard
    // handling does; TRUE when it handled the message.
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }

    void SetWindowText(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
    CString GetWindowText() const;
    void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
    void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
    {
        return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }

    static const CRuntimeClass classCWnd;
    MESSAGE_MAP_MEMBERS();

public:
    HWND m_hWnd = nullptr; // owned or not as the derived class says
};
