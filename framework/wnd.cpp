#include "framework/wnd.h"

#include <vector>

const CRuntimeClass CWnd::classCWnd = {"CWnd", nullptr};
DEFINE_MESSAGE_MAP(CWnd, CCmdTarget);

CString CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return CString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return CString(buffer.data(), copied);
}
