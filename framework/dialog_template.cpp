#include "framework/dialog_template.h"

namespace {
void PutDword(std::vector<WORD>& out, DWORD value)
{
    out.push_back(LOWORD(value));
    out.push_back(HIWORD(value));
}

void PutString(std::vector<WORD>& out, const std::wstring& text)
{
    for (wchar_t ch : text)
        out.push_back(static_cast<WORD>(ch));
    out.push_back(0);
}
} // namespace

DialogTemplate::DialogTemplate(DWORD style, DWORD exStyle, short x, short y, short cx, short cy,
                               const std::wstring& title, const DialogTemplateFont& font)
{
    m_words.push_back(1);      // dlgVer
    m_words.push_back(0xFFFF); // signature: extended template
    PutDword(m_words, 0);      // helpID
    PutDword(m_words, exStyle);
    PutDword(m_words, style);
    m_words.push_back(0); // no controls
    m_words.push_back(static_cast<WORD>(x));
    m_words.push_back(static_cast<WORD>(y));
    m_words.push_back(static_cast<WORD>(cx));
    m_words.push_back(static_cast<WORD>(cy));
    m_words.push_back(0); // no menu
    m_words.push_back(0); // the predefined dialog class
    PutString(m_words, title);
    if (style & DS_SETFONT) {
        m_words.push_back(font.pointSize);
        m_words.push_back(font.weight);
        m_words.push_back(static_cast<WORD>(font.italic | (font.charset << 8)));
        PutString(m_words, font.face);
    }
}
