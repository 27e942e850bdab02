#pragma once
// An extended dialog template (DLGTEMPLATEEX) built in memory: the dialogs
// of the program carry no controls in their templates, so the header with
// its font is all there is.
#include <windows.h>

#include <string>
#include <vector>

struct DialogTemplateFont {
    WORD pointSize;
    WORD weight;
    BYTE italic;
    BYTE charset;
    std::wstring face;
};

class DialogTemplate {
public:
    DialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy, const std::wstring& title,
                   const DialogTemplateFont& font);

    // The bytes to hand to CreateDialogIndirectParamW; DWORD-aligned.
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }
    size_t Size() const { return m_words.size() * sizeof(WORD); }

private:
    std::vector<WORD> m_words; // heap storage, so aligned for the header's DWORDs
};
