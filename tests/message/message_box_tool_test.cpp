// The message-box tool: what its command line asks for is what it shows,
// and it reports the button pressed.
#include <gtest/gtest.h>

#include <string>

#include "tests/message/dialog_driver.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tools/driver/process_driver.h"

namespace {

TEST(MessageBoxTool, ShowsTheMessageAndWritesTheIdentifierPressed)
{
    const test::TempFolder folder(L"message box tool");
    const std::wstring out = folder.Path() + L"result.txt";
    const std::wstring tool = test::WindowsPath(MESSAGE_BOX_TOOL);
    const std::wstring commandLine = L"\"" + tool +
                                     L"\" --caption \"Tool check\" --type 4"
                                     L" --text \"Newer build.\\nGet it {hl}here{hl=http://127.0.0.1/x}.\""
                                     L" --button \"6=&Download\" --button 7 --out \"" +
                                     out + L"\"";

    driver::RunningProcess process(tool, commandLine);
    ASSERT_TRUE(process.Started());
    const HWND dialog = driver::WaitForDialog(process.Id(), 15000);
    test::DialogInfo info;
    if (dialog) {
        info = test::ReadDialog(dialog);
        if (!info.buttons.empty())
            test::Press(info.buttons[0].window);
    }
    const bool ended = process.Wait(15000); // a process still running is ended with the object

    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(L"Tool check", info.caption);
    ASSERT_EQ(2u, info.buttons.size());
    EXPECT_EQ(L"&Download", info.buttons[0].text);
    EXPECT_EQ(L"No", info.buttons[1].text);
    EXPECT_TRUE(ended);
    EXPECT_EQ("6\n", test::ReadWholeFile(out).value_or(""));
}

} // namespace
