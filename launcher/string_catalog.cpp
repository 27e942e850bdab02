#include "launcher/string_catalog.h"

#include <iterator>

int g_language = 0;

namespace {

struct Row {
    UINT id;
    CString text;
};

// Built during static initialisation, English first.
const Row g_englishTable[] = {
    {57665, L"E&xit\nExit"},
    {302, L"&OK"},
    {301, L"&Cancel"},
    {304, L"Yes"},
    {305, L"No"},
    {303, L"Close"},
    {27, L"A new version is available for download.\n\nNote: You do not need to uninstall your\n"
         L"previous version before you install this one."},
    {28, L"You are currently using the latest\nversion. Thank you for checking!"},
    {29, L"Error connection to server."},
    {2936, L"Velto Backup"},
    {9906, L"Click \u201CContinue\u201D to check for updates online"},
    {9907, L"Allow automatic updates"},
    {9908, L"By checking this box, you allow Velto Backup to automatically check for future updates"},
    {9909, L"Continue"},
};

// It has no rows for 27, 28 and 29; its last rows carry the English texts.
const Row g_spanishTable[] = {
    {57665, L"Dejar la aplicaci\u00F3n; avisos para guardar documentos\nSalida"},
    {302, L"&OK"},
    {301, L"&Cancelar"},
    {304, L"S\u00ED"},
    {305, L"No"},
    {303, L"Cerrar"},
    {2936, L"Velto Backup"},
    {9906, L"Click \u201CContinue\u201D to check for updates online"},
    {9907, L"Allow automatic updates"},
    {9908, L"By checking this box, you allow Velto Backup to automatically check for future updates"},
    {9909, L"Continue"},
};

static_assert(std::size(g_englishTable) == 14 && std::size(g_spanishTable) == 11);

} // namespace

namespace StringCatalog {

CString Get(UINT id)
{
    const Row* first = g_language == 1 ? std::begin(g_spanishTable) : std::begin(g_englishTable);
    const Row* last = g_language == 1 ? std::end(g_spanishTable) : std::end(g_englishTable);
    for (const Row* row = first; row != last; ++row)
        if (row->id == id)
            return row->text;
    return CString();
}

CString GetAfterNewline(UINT id)
{
    CString text = Get(id);
    const int newline = text.Find(L'\n');
    if (newline >= 0)
        text.Delete(0, newline + 1);
    return text;
}

} // namespace StringCatalog
