#include <gtest/gtest.h>

#include "launcher/string_catalog.h"
#include "launcher/string_ids.h"

namespace {

// Restores the process-wide selector, which nothing in the program changes.
class LanguageScope {
public:
    explicit LanguageScope(int language) : m_saved(g_language) { g_language = language; }
    ~LanguageScope() { g_language = m_saved; }

private:
    int m_saved;
};

} // namespace

TEST(StringCatalog, EnglishIsInUseAtStart)
{
    EXPECT_EQ(0, g_language);
    EXPECT_EQ(CString(L"A new version is available for download.\n\nNote: You do not need to uninstall your\n"
                      L"previous version before you install this one."),
              StringCatalog::Get(StringId::NewVersionText));
    EXPECT_EQ(CString(L"Error connection to server."), StringCatalog::Get(StringId::ConnectionErrorText));
    EXPECT_EQ(CString(L"Click \u201CContinue\u201D to check for updates online"),
              StringCatalog::Get(StringId::CheckOnlinePrompt));
}

TEST(StringCatalog, MissingIdentifiersGiveTheEmptyText)
{
    for (UINT id : {0u, StringId::UpdateCheckTitle, 1u, 306u, 9910u, 0xFFFFFFFFu}) {
        EXPECT_TRUE(StringCatalog::Get(id).IsEmpty()) << id;
        EXPECT_TRUE(StringCatalog::GetAfterNewline(id).IsEmpty()) << id;
    }
}

TEST(StringCatalog, GetAfterNewlineCutsAtTheFirstLineFeedOnly)
{
    EXPECT_EQ(CString(L"Exit"), StringCatalog::GetAfterNewline(StringId::ExitCommand));
    EXPECT_EQ(CString(L"\nNote: You do not need to uninstall your\nprevious version before you install this one."),
              StringCatalog::GetAfterNewline(StringId::NewVersionText));
    EXPECT_EQ(CString(L"&OK"), StringCatalog::GetAfterNewline(StringId::OkLabel));
}

TEST(StringCatalog, SpanishTableWhenLanguageIsOne)
{
    LanguageScope spanish(1);
    EXPECT_EQ(CString(L"&Cancelar"), StringCatalog::Get(StringId::CancelLabel));
    EXPECT_EQ(CString(L"S\u00ED"), StringCatalog::Get(StringId::YesLabel));
    EXPECT_EQ(CString(L"Salida"), StringCatalog::GetAfterNewline(StringId::ExitCommand));
    EXPECT_EQ(CString(L"Continue"), StringCatalog::Get(StringId::ContinueLabel)); // the last row
    for (UINT id : {StringId::NewVersionText, StringId::LatestVersionText, StringId::ConnectionErrorText,
                    StringId::UpdateCheckTitle})
        EXPECT_TRUE(StringCatalog::Get(id).IsEmpty()) << id;
}

TEST(StringCatalog, EveryOtherLanguageValueSelectsEnglish)
{
    for (int language : {2, -1, -2147483647 - 1, 0}) {
        LanguageScope scope(language);
        EXPECT_EQ(CString(L"&Cancel"), StringCatalog::Get(StringId::CancelLabel)) << language;
        EXPECT_EQ(CString(L"Exit"), StringCatalog::GetAfterNewline(StringId::ExitCommand)) << language;
        EXPECT_EQ(CString(L"Continue"), StringCatalog::Get(StringId::ContinueLabel)) << language;
    }
}

TEST(StringCatalog, ACopySharesTheTableText)
{
    EXPECT_TRUE(StringCatalog::Get(StringId::CloseLabel).SharesBufferWith(StringCatalog::Get(StringId::CloseLabel)));
}
