#include "message/clipboard.h"

#include <cstring>

#include "framework/scoped_handle.h"

namespace Message {

namespace {
// Another program may hold the clipboard for a moment: a few short tries.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner)
    {
        for (int attempt = 0; attempt < 10 && !m_open; ++attempt) {
            m_open = ::OpenClipboard(owner) != FALSE;
            if (!m_open)
                ::Sleep(20);
        }
    }
    ~OpenClipboardScope()
    {
        if (m_open)
            ::CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;

    bool IsOpen() const { return m_open; }

private:
    bool m_open = false;
};

} // namespace

bool CopyTextToClipboard(HWND owner, const std::wstring& text)
{
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    ScopedGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory)
        return false;
    void* locked = ::GlobalLock(memory.get());
    if (!locked)
        return false;
    std::memcpy(locked, text.c_str(), bytes);
    ::GlobalUnlock(memory.get());

    const OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !::EmptyClipboard() || !::SetClipboardData(CF_UNICODETEXT, memory.get()))
        return false;
    memory.release(); // the clipboard owns it now
    return true;
}

} // namespace Message
