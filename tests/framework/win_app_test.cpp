#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/thread_state.h"
#include "framework/win_app.h"

namespace {

// An application whose InitInstance runs `body`; the framework entry finds
// it through AfxGetApp as it finds the launcher's.
template <typename Body>
class ScriptedApp : public CWinApp {
public:
    explicit ScriptedApp(Body body) : m_body(body) {}
    BOOL InitInstance() override
    {
        ++initCalls;
        return m_body(*this);
    }
    int ExitInstance() override
    {
        ++exitCalls;
        return CWinApp::ExitInstance();
    }
    int initCalls = 0;
    int exitCalls = 0;

private:
    Body m_body;
};

} // namespace

TEST(WinApp, EntryRecordsTheTailSetsTheErrorModeAndEndsWithExitInstance)
{
    ::SetErrorMode(0);
    AfxGetThreadState().m_msgCur = MSG{};
    UINT modeSeen = 0;
    ScriptedApp app([&modeSeen](CWinApp&) {
        modeSeen = ::SetErrorMode(0);
        ::SetErrorMode(modeSeen);
        return FALSE;
    });
    EXPECT_EQ(0, AfxWinMain(nullptr, LR"("C:\Apps\launcher.exe"  a "b c" )", SW_SHOWMINIMIZED));
    EXPECT_EQ(1, app.initCalls);
    EXPECT_EQ(1, app.exitCalls);
    EXPECT_STREQ(LR"(a "b c" )", app.m_lpCmdLine);
    EXPECT_EQ(SW_SHOWMINIMIZED, app.m_nCmdShow);
    EXPECT_EQ(static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX), modeSeen & 0x8001u);
    EXPECT_FALSE(app.m_pszAppName.IsEmpty()) << "taken from the executable's name";
}

TEST(WinApp, ExitCodeIsTheLastMessagesWParam)
{
    ScriptedApp app([](CWinApp&) {
        AfxGetThreadState().m_msgCur.wParam = 7; // as a modal loop leaves it
        return FALSE;
    });
    EXPECT_EQ(7, AfxWinMain(nullptr, L"launcher.exe", SW_SHOW));
    AfxGetThreadState().m_msgCur = MSG{};
}

TEST(WinApp, AnEscapingExceptionEndsTheRunAtOnceWithANonZeroCode)
{
    ScriptedApp app([](CWinApp&) -> BOOL { throw std::runtime_error("PathHelpers::GetModuleFileName fail"); });
    EXPECT_EQ(kUnhandledExceptionExitCode, AfxWinMain(nullptr, L"launcher.exe", SW_SHOW));
    EXPECT_EQ(1, app.initCalls);
    EXPECT_EQ(0, app.exitCalls) << "the framework's exit steps are skipped";
}

TEST(WinApp, AppNameIsTheFileNameWithoutExtension)
{
    EXPECT_EQ(CString(L"launcher"), AppNameFromModulePath(LR"(C:\My Apps\launcher.exe)"));
    EXPECT_EQ(CString(L"a.b"), AppNameFromModulePath(L"C:/x.y/a.b.exe"));
    EXPECT_EQ(CString(L"noext"), AppNameFromModulePath(LR"(\\server\share\noext)"));
}
