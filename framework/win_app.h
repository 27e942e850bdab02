#pragma once
// The application object: the process entry records the start-up data in it
// and calls InitInstance; when that returns FALSE no message loop runs and
// the process ends with ExitInstance's result.
#include <windows.h>

#include "framework/message_map.h"
#include "framework/cstring.h"

constexpr UINT ID_HELP = 0xE146; // 57670

// Exit codes of a run that did not complete.
constexpr int kUnhandledExceptionExitCode = 3; // an exception escaped InitInstance
constexpr int kNoApplicationExitCode = -1;     // no application object exists

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const wchar_t* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The main window when one is set, otherwise the thread's active window.
    HWND GetMainWnd() const;

    // The framework's Help command handler, for the application's map to
    // name; the launcher has no help.
    void OnHelp() {}

    HINSTANCE m_hInstance = nullptr;
    const wchar_t* m_lpCmdLine = L""; // the command-line tail, points into the process command line
    int m_nCmdShow = SW_SHOWNORMAL;
    CString m_pszAppName;
    HWND m_hMainWnd = nullptr; // not owned; the launcher never sets one

    // Empty: an application's own map names the commands it takes.
    MESSAGE_MAP_MEMBERS();
};

// The one application object, or null before it is constructed.
CWinApp* AfxGetApp();
// The thread's main window as the framework reports it (null when none).
HWND AfxGetMainWnd();

// The framework's process entry: records start-up data, runs InitInstance
// and returns the process exit code.
int AfxWinMain(HINSTANCE instance, const wchar_t* commandLine, int showCommand);

// The application display name: the executable's file name without extension.
CString AppNameFromModulePath(const wchar_t* path);
