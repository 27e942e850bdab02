#include "framework/win_app.h"

#include "framework/command_line.h"
#include "framework/thread_state.h"

namespace {
CWinApp* g_app = nullptr;
} // namespace

DEFINE_MESSAGE_MAP(CWinApp, CCmdTarget);

CWinApp::CWinApp(const wchar_t* appName) : m_pszAppName(appName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return static_cast<int>(AfxGetThreadState().m_msgCur.wParam);
}

HWND CWinApp::GetMainWnd() const
{
    return m_hMainWnd ? m_hMainWnd : ::GetActiveWindow();
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HWND AfxGetMainWnd()
{
    return g_app ? g_app->GetMainWnd() : ::GetActiveWindow();
}

CString AppNameFromModulePath(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':')
            name = p + 1;
    const wchar_t* dot = nullptr;
    for (const wchar_t* p = name; *p; ++p)
        if (*p == L'.')
            dot = p;
    return dot ? CString(name, static_cast<int>(dot - name)) : CString(name);
}

int AfxWinMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand)
{
    // Inherited by the product, which gets creation flags 0.
    ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    CWinApp* app = AfxGetApp();
    if (!app)
        return kNoApplicationExitCode;
    app->m_hInstance = instance;
    app->m_lpCmdLine = CommandLineTail(commandLine);
    app->m_nCmdShow = showCommand;
    if (app->m_pszAppName.IsEmpty()) {
        wchar_t path[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, path, MAX_PATH);
        app->m_pszAppName = AppNameFromModulePath(path);
    }

    try {
        // Only a program with a main window needs a message loop after a TRUE
        // result; the launcher has none and always returns FALSE.
        app->InitInstance();
        return app->ExitInstance();
    } catch (...) {
        // Nothing on the run path catches; end in order (static destruction
        // still runs) and say that the run did not complete.
        return kUnhandledExceptionExitCode;
    }
}
