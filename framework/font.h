#pragma once
// A font object that owns its handle: the font is deleted with the object.
#include <windows.h>

#include "framework/scoped_handle.h"

class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // Makes the font from `logFont`, replacing any font held; false (and a
    // null handle) when the font mapper refuses it.
    bool CreateFontIndirect(const LOGFONTW* logFont);
    void DeleteObject();

    HFONT GetSafeHandle() const { return m_hFont.get(); }
    operator HFONT() const { return m_hFont.get(); }
    // Fills `logFont` from the held font; false when none is held.
    bool GetLogFont(LOGFONTW* logFont) const;

private:
    ScopedGdiObject<HFONT> m_hFont;
};
