#include "framework/font.h"

bool CFont::CreateFontIndirect(const LOGFONTW* logFont)
{
    DeleteObject();
    m_hFont.reset(::CreateFontIndirectW(logFont));
    return m_hFont.get() != nullptr;
}

void CFont::DeleteObject()
{
    m_hFont.reset();
}

bool CFont::GetLogFont(LOGFONTW* logFont) const
{
    return m_hFont && ::GetObjectW(m_hFont.get(), sizeof(LOGFONTW), logFont) == sizeof(LOGFONTW);
}
