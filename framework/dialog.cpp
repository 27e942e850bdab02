#include "framework/dialog.h"

#include "framework/thread_state.h"

DEFINE_WINDOW_CLASS(CDialog, CWnd,
                    MessageEntry<&CDialog::OnInitDialog>(WM_INITDIALOG),
                    CommandEntry<&CDialog::OnOK>(IDOK),
                    CommandEntry<&CDialog::OnCancel>(IDCANCEL));

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* parent) : m_pParentWnd(parent), m_template(dialogTemplate)
{
}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::EndDialog(int result)
{
    m_modalResult = result;
    m_modalDone = true;
    // Wakes the loop if it is waiting; it stops before retrieving this.
    if (m_hWnd)
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

INT_PTR CDialog::DoModal()
{
    HWND owner = m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : nullptr;
    m_modalDone = false;
    m_modalResult = -1;
    HWND hwnd = ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), m_template.Get(), owner, &CDialog::DialogProc,
                                             reinterpret_cast<LPARAM>(this));
    if (!hwnd)
        return -1;

    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);
    if (!m_modalDone)
        ::ShowWindow(hwnd, SW_SHOWNORMAL);

    // The last message retrieved stays in the thread state: the application
    // reports its wParam as the exit code.
    MSG& msg = AfxGetThreadState().m_msgCur;
    m_inModalLoop = true;
    while (!m_modalDone && m_hWnd) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            // WM_QUIT belongs to whoever runs the outer loop.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!m_hWnd) // destroyed while the loop waited: nothing is left to run
            break;
        if (PreTranslateMessage(&msg))
            continue;
        if (!::IsDialogMessageW(hwnd, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_inModalLoop = false;

    // The owner is enabled first so that it gets the activation back.
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    if (::IsWindow(hwnd))
        ::DestroyWindow(hwnd);
    m_hWnd = nullptr;
    return m_modalDone ? m_modalResult : -1;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CDialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->m_hWnd = hwnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    }
    if (!self) // messages before WM_INITDIALOG
        return FALSE;

    LRESULT result = 0;
    const bool handled = self->DispatchMapped(message, wParam, lParam, result);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
        // Destroyed from outside (its owner went, say): no message will come
        // for this window any more, so wake the loop waiting for one.
        if (self->m_inModalLoop && !self->m_modalDone)
            ::PostMessageW(nullptr, WM_NULL, 0, 0);
    }
    if (!handled)
        return FALSE;
    if (message == WM_INITDIALOG)
        return static_cast<INT_PTR>(result);
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}
