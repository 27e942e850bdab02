#pragma once
// A push button child window. The parent normally destroys it; the object
// destroys it only if it still exists when the object goes.
#include "framework/wnd.h"

class CButton : public CWnd {
public:
    CButton() = default;
    ~CButton() override;

    // Creates the button as a child of `parent` with control identifier `id`.
    BOOL Create(const wchar_t* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);
};
