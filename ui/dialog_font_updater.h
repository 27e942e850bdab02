#pragma once
// Gives a dialog its own "Tahoma" font made from the template's font, plus a
// bold variant, and applies the regular one to the dialog and its children.
#include <memory>

#include "framework/font.h"
#include "framework/wnd.h"

class DialogFontUpdater {
public:
    virtual ~DialogFontUpdater() = default; // m_font goes first, then m_boldFont
    DialogFontUpdater() = default;
    DialogFontUpdater(const DialogFontUpdater&) = delete;
    DialogFontUpdater& operator=(const DialogFontUpdater&) = delete;

    // Re-makes and applies the dialog's fonts; each dialog says on which window.
    virtual void UpdateFont() = 0;

    // Makes both fonts from `window`'s current font with the face "Tahoma"
    // and sends the regular one to the window and its direct children.
    void ApplyFont(CWnd& window);

    HFONT GetFont() const { return m_font ? m_font->GetSafeHandle() : nullptr; }
    HFONT GetBoldFont() const { return m_boldFont ? m_boldFont->GetSafeHandle() : nullptr; }

protected:
    std::unique_ptr<CFont> m_boldFont; // weight 700
    std::unique_ptr<CFont> m_font;
};
