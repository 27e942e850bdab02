#include "framework/font.h"

bool CFont::CreateFontIndirect(const LOGFONTW* logFont)
{
    DeleteObject();
    m_hFont = ::CreateFontIndirectW(logFont);
    return m_hFont != nullptr;
}

void CFont::DeleteObject()
{
    if (m_hFont) {
        ::DeleteObject(m_hFont);
        m_hFont = nullptr;
    }
}

bool CFont::GetLogFont(LOGFONTW* logFont) const
{
    return m_hFont && ::GetObjectW(m_hFont, sizeof(LOGFONTW), logFont) == sizeof(LOGFONTW);
}
