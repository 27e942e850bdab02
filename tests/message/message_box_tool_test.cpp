// The message-box tool: what its command line asks for is what it shows,
// and it reports the button pressed.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/message/dialog_driver.h"
#include "tests/support/process.h"

namespace {

HWND WaitForWindow(const wchar_t* caption, DWORD milliseconds)
{
    for (DWORD waited = 0; waited < milliseconds; waited += 50) {
        HWND found = ::FindWindowW(L"#32770", caption);
        if (found && ::IsWindowVisible(found))
            return found;
        ::Sleep(50);
    }
    return nullptr;
}

TEST(MessageBoxTool, ShowsTheMessageAndWritesTheIdentifierPressed)
{
    const test::TempFolder folder(L"message box tool");
    const std::wstring out = folder.Path() + L"result.txt";
    const std::wstring tool = test::WindowsPath(MESSAGE_BOX_TOOL);
    std::wstring commandLine = L"\"" + tool + L"\" --caption \"Tool check\" --type 4"
                               L" --text \"Newer build.\\nGet it {hl}here{hl=http://127.0.0.1/x}.\""
                               L" --button \"6=&Download\" --button 7 --out \"" + out + L"\"";

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(::CreateProcessW(tool.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));
    HWND dialog = WaitForWindow(L"Tool check", 15000);
    test::DialogInfo info;
    if (dialog) {
        info = test::ReadDialog(dialog);
        if (!info.buttons.empty())
            test::Press(info.buttons[0].window);
    }
    const DWORD waited = ::WaitForSingleObject(process.hProcess, 15000);
    if (waited != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);

    ASSERT_NE(nullptr, dialog);
    ASSERT_EQ(2u, info.buttons.size());
    EXPECT_EQ(L"&Download", info.buttons[0].text);
    EXPECT_EQ(L"No", info.buttons[1].text);
    EXPECT_EQ(WAIT_OBJECT_0, waited);
    std::ifstream in(out.c_str());
    std::stringstream result;
    result << in.rdbuf();
    EXPECT_EQ("6\n", result.str());
}

} // namespace
