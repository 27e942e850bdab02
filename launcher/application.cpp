#include "launcher/application.h"

#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "launcher/path_helpers.h"
#include "launcher/process_launcher.h"
#include "update/check_for_updates.h"

DEFINE_MESSAGE_MAP(Application, CWinApp, CommandEntry<&Application::OnHelp>(ID_HELP));

BOOL Application::InitInstance()
{
    // Results are not examined: nothing here may keep the product from starting.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = 8;
    controls.dwICC = ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    ::CoInitialize(nullptr);
    CheckUpdatesAndLaunch();
    ::CoUninitialize();
    return FALSE;
}

void Application::CheckUpdatesAndLaunch()
{
    CheckForUpdates();

    const std::wstring arguments = m_lpCmdLine;
    const std::wstring directory = PathHelpers::GetModuleDirectory();
    ProcessLauncher launcher(PathHelpers::ToNativeForm(GetProductPath(directory)), arguments);
    launcher.Launch();
}
