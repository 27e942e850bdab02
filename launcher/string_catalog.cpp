#include "launcher/string_catalog.h"

#include "launcher/string_ids.h"

#include <iterator>

int g_language = 0;

namespace {

struct Row {
    UINT id;
    CString text;
};

// Built during static initialisation, English first.
const Row g_englishTable[] = {
    {StringId::ExitCommand, L"E&xit\nExit"},
    {StringId::OkLabel, L"&OK"},
    {StringId::CancelLabel, L"&Cancel"},
    {StringId::YesLabel, L"Yes"},
    {StringId::NoLabel, L"No"},
    {StringId::CloseLabel, L"Close"},
    {StringId::NewVersionText, L"A new version is available for download.\n\nNote: You do not need to uninstall your\n"
                               L"previous version before you install this one."},
    {StringId::LatestVersionText, L"You are currently using the latest\nversion. Thank you for checking!"},
    {StringId::ConnectionErrorText, L"Error connection to server."},
    {StringId::ProductName, L"Velto Backup"},
    {StringId::CheckOnlinePrompt, L"Click \u201CContinue\u201D to check for updates online"},
    {StringId::AllowAutomaticUpdatesLabel, L"Allow automatic updates"},
    {StringId::AllowAutomaticUpdatesHint,
     L"By checking this box, you allow Velto Backup to automatically check for future updates"},
    {StringId::ContinueLabel, L"Continue"},
};

// It has no rows for the three update texts; its last rows carry the English texts.
const Row g_spanishTable[] = {
    {StringId::ExitCommand, L"Dejar la aplicaci\u00F3n; avisos para guardar documentos\nSalida"},
    {StringId::OkLabel, L"&OK"},
    {StringId::CancelLabel, L"&Cancelar"},
    {StringId::YesLabel, L"S\u00ED"},
    {StringId::NoLabel, L"No"},
    {StringId::CloseLabel, L"Cerrar"},
    {StringId::ProductName, L"Velto Backup"},
    {StringId::CheckOnlinePrompt, L"Click \u201CContinue\u201D to check for updates online"},
    {StringId::AllowAutomaticUpdatesLabel, L"Allow automatic updates"},
    {StringId::AllowAutomaticUpdatesHint,
     L"By checking this box, you allow Velto Backup to automatically check for future updates"},
    {StringId::ContinueLabel, L"Continue"},
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
