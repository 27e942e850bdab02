#pragma once
// The framework's reference-counted wide string: copies share one buffer until
// either side is changed, so handing out catalogue texts allocates nothing.
#include <memory>
#include <string>

class CString {
public:
    CString() = default;
    CString(const wchar_t* text);
    CString(const wchar_t* text, int length);
    CString(const std::wstring& text);

    int GetLength() const { return m_data ? static_cast<int>(m_data->size()) : 0; }
    bool IsEmpty() const { return GetLength() == 0; }
    const wchar_t* GetString() const { return m_data ? m_data->c_str() : L""; }
    operator const wchar_t*() const { return GetString(); }
    std::wstring ToStdString() const { return m_data ? *m_data : std::wstring(); }

    // Index of the first `ch` at or after `start`, or -1.
    int Find(wchar_t ch, int start = 0) const;
    // Removes `count` characters from `index` on (clamped); returns the new length.
    int Delete(int index, int count = 1);

    CString& operator+=(const CString& other);
    CString& operator+=(wchar_t ch);

    // True when both share one buffer (a copy that nothing has changed yet).
    bool SharesBufferWith(const CString& other) const { return m_data && m_data == other.m_data; }

    friend bool operator==(const CString& a, const CString& b);
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend CString operator+(CString a, const CString& b) { return a += b; }

private:
    std::wstring& Writable();

    std::shared_ptr<const std::wstring> m_data; // null means empty
};
