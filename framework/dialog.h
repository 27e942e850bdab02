#pragma once
// A modal dialog made from a template. DoModal creates it, disables the
// owner and runs the framework's modal loop (with the keyboard handling of a
// dialog) until EndDialog or until the window is destroyed; the window is
// bound to its object through the creation parameter and DWLP_USER.
#include "framework/dialog_template.h"
#include "framework/wnd.h"

class CDialog : public CWnd {
public:
    CDialog(const DialogTemplate& dialogTemplate, CWnd* parent);
    ~CDialog() override;

    // Runs the dialog; its result is the value given to EndDialog, or -1
    // when the window cannot be created, is destroyed before EndDialog (its
    // owner went, for example) or the loop saw WM_QUIT.
    INT_PTR DoModal();
    // Ends the modal loop with `result`; the window goes when DoModal returns.
    void EndDialog(int result);

    // WM_INITDIALOG: TRUE lets the dialog manager set the focus.
    virtual BOOL OnInitDialog();
    // IDOK and IDCANCEL end the dialog with their identifier.
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    WINDOW_CLASS_MEMBERS(CDialog);

protected:
    CWnd* m_pParentWnd; // not owned

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    const DialogTemplate m_template;
    bool m_modalDone = false;
    bool m_inModalLoop = false;
    INT_PTR m_modalResult = -1;
};
