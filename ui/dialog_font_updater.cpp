#include "ui/dialog_font_updater.h"

#include <cwchar>

void DialogFontUpdater::ApplyFont(CWnd& window)
{
    LOGFONTW logFont = {};
    HFONT current = reinterpret_cast<HFONT>(window.SendMessage(WM_GETFONT));
    if (current)
        ::GetObjectW(current, sizeof(logFont), &logFont);
    std::wcsncpy(logFont.lfFaceName, L"Tahoma", LF_FACESIZE);

    // From here on no message is dispatched, so nothing paints with a font
    // that has just been deleted.
    m_font = std::make_unique<CFont>();
    m_font->CreateFontIndirect(&logFont);
    logFont.lfWeight = FW_BOLD;
    m_boldFont = std::make_unique<CFont>();
    m_boldFont->CreateFontIndirect(&logFont);

    const WPARAM font = reinterpret_cast<WPARAM>(m_font->GetSafeHandle());
    window.SendMessage(WM_SETFONT, font, TRUE);
    for (HWND child = ::GetTopWindow(window.GetSafeHwnd()); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_SETFONT, font, TRUE);
}
