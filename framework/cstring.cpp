#include "framework/cstring.h"

#include <algorithm>
#include <string_view>

CString::CString(const wchar_t* text)
{
    if (text && *text)
        m_data = std::make_shared<const std::wstring>(text);
}

CString::CString(const wchar_t* text, int length)
{
    if (text && length > 0)
        m_data = std::make_shared<const std::wstring>(text, static_cast<size_t>(length));
}

CString::CString(const std::wstring& text)
{
    if (!text.empty())
        m_data = std::make_shared<const std::wstring>(text);
}

std::wstring& CString::Writable()
{
    // Copy on write: a shared buffer is duplicated before the change.
    if (!m_data || m_data.use_count() > 1)
        m_data = std::make_shared<const std::wstring>(m_data ? *m_data : std::wstring());
    return const_cast<std::wstring&>(*m_data);
}

int CString::Find(wchar_t ch, int start) const
{
    if (!m_data || start < 0)
        return -1;
    const size_t pos = m_data->find(ch, static_cast<size_t>(start));
    return pos == std::wstring::npos ? -1 : static_cast<int>(pos);
}

int CString::Delete(int index, int count)
{
    const int length = GetLength();
    index = std::max(index, 0);
    if (count > 0 && index < length) {
        Writable().erase(static_cast<size_t>(index), static_cast<size_t>(std::min(count, length - index)));
        if (m_data->empty())
            m_data.reset();
    }
    return GetLength();
}

CString& CString::operator+=(const CString& other)
{
    if (!other.IsEmpty()) {
        const std::wstring tail = other.ToStdString(); // `other` may be *this
        Writable() += tail;
    }
    return *this;
}

CString& CString::operator+=(wchar_t ch)
{
    Writable() += ch;
    return *this;
}

bool operator==(const CString& a, const CString& b)
{
    return std::wstring_view(a.GetString(), static_cast<size_t>(a.GetLength())) ==
           std::wstring_view(b.GetString(), static_cast<size_t>(b.GetLength()));
}
