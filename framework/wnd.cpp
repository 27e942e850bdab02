#include "framework/wnd.h"

#include <vector>

namespace {
const MessageMapEntry kWndEntries[] = {{0, 0, 0, nullptr}};
}

const CRuntimeClass CWnd::classCWnd = {"CWnd", nullptr};
const MessageMap CWnd::s_messageMap = {&CCmdTarget::s_messageMap, kWndEntries};

const CRuntimeClass* CWnd::GetRuntimeClass() const
{
    return &classCWnd;
}

const MessageMap* CWnd::GetMessageMap() const
{
    return &s_messageMap;
}

CString CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return CString();
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return CString(buffer.data(), copied);
}
