// The launcher's question box answered from the keyboard, with real input:
// Enter at once takes "Download", which has the focus when the box appears.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/e2e/installation.h"
#include "tests/support/shell_log.h"
#include "tests/support/update_service_client.h"
#include "tools/driver/input_driver.h"
#include "tools/driver/process_driver.h"

namespace {

constexpr wchar_t kDownloadUrl[] = L"http://downloads.example.test/velto/setup?build=1.1.1.1";

TEST(QuestionBoxKeyboard, EnterOpensTheDownloadPageAndTabThenEnterDoesNot)
{
    test::UpdateServiceControl service;
    ASSERT_TRUE(service.Reset()) << "the update service does not answer";
    ASSERT_TRUE(service.SetDefault(test::NewerBuild(kDownloadUrl)));
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"Velto Backup");
    e2e::Install(folder);

    const struct {
        const char* name;
        std::vector<WORD> keys;
        std::vector<std::wstring> opened;
    } cases[] = {
        {"Enter", {VK_RETURN}, {kDownloadUrl}},
        {"Tab, Enter", {VK_TAB, VK_RETURN}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ClearShellLog();
        e2e::RecordFile record(temp.Path());
        driver::RunningProcess launcher(folder + L"launcher.exe", L"launcher.exe");
        const HWND box = driver::WaitForDialog(launcher.Id(), 30000);
        ASSERT_NE(nullptr, box) << "no question box";
        ASSERT_TRUE(driver::BringToForeground(box)) << "the box did not become the foreground window";
        for (WORD key : c.keys)
            driver::TypeKeys({key});
        ASSERT_TRUE(launcher.Wait(30000)) << "the box did not close";
        EXPECT_TRUE(record.Wait(10000)) << "the product did not start";
        EXPECT_EQ(c.opened, test::WaitForShellLog(c.opened.size()));
    }
}

} // namespace
