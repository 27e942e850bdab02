// Every start asks the update service, offers a newer build of the same line
// or reports a failed check, and then starts the product. All through the
// real launcher.exe, the service on loopback, the recording product, the
// dialog pressed from here and the shell recorder.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/installation.h"
#include "tests/support/shell_log.h"
#include "tests/support/update_service_client.h"
#include "tools/driver/process_driver.h"

namespace {

using test::NewerBuild;

constexpr wchar_t kDownloadUrl[] = L"http://downloads.example.test/velto/setup?build=1.1.1.1";

class UpdateCheck : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_service.Reset()) << "the update service does not answer";
        test::ClearShellLog();
        m_folder = m_temp.MakeFolder(L"Velto Backup");
        e2e::Install(m_folder);
    }

    // Starts the launcher, which must show a dialog; returns it.
    HWND StartAndWaitForDialog(driver::RunningProcess& launcher)
    {
        EXPECT_TRUE(launcher.Started());
        const HWND dialog = driver::WaitForDialog(launcher.Id(), 30000);
        EXPECT_NE(nullptr, dialog) << "no dialog";
        return dialog;
    }

    // Starts the launcher against `answer`, which offers a newer build, and
    // presses "Download": the product starts; returns what the shell opened.
    std::vector<std::wstring> PressDownload(const std::string& answer, size_t expected)
    {
        EXPECT_TRUE(m_service.SetDefault(answer));
        test::ClearShellLog();
        e2e::RecordFile record(m_temp.Path());
        driver::RunningProcess launcher(m_folder + L"launcher.exe", L"launcher.exe");
        const HWND dialog = StartAndWaitForDialog(launcher);
        const std::vector<driver::Button> buttons = dialog ? driver::Buttons(dialog) : std::vector<driver::Button>();
        EXPECT_EQ(2u, buttons.size());
        if (buttons.size() != 2)
            return {};
        driver::Press(buttons[0]); // "Download"
        EXPECT_TRUE(launcher.Wait(30000));
        EXPECT_TRUE(record.Wait(10000)) << "the product did not start";
        return test::WaitForShellLog(expected);
    }

    test::TempFolder m_temp;
    std::wstring m_folder;
    test::UpdateServiceControl m_service;
};

std::vector<std::wstring> Labels(const std::vector<driver::Button>& buttons)
{
    std::vector<std::wstring> labels;
    labels.reserve(buttons.size());
    for (const driver::Button& b : buttons)
        labels.push_back(b.text);
    return labels;
}

} // namespace

TEST_F(UpdateCheck, NewerBuildOffersTheDownloadAndStartsTheProductAfterEveryChoice)
{
    ASSERT_TRUE(m_service.SetDefault(NewerBuild(kDownloadUrl)));

    enum class Choice { Download, No, CloseBox };
    for (Choice choice : {Choice::Download, Choice::No, Choice::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(choice));
        test::ClearShellLog();
        e2e::RecordFile record(m_temp.Path());
        driver::RunningProcess launcher(m_folder + L"launcher.exe", L"launcher.exe /quiet \"D:\\My Data\\set 1.cfg\"");
        const HWND dialog = StartAndWaitForDialog(launcher);
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(L"", driver::WindowText(dialog)) << "the messages carry no title";
        const std::vector<driver::Button> buttons = driver::Buttons(dialog);
        ASSERT_EQ((std::vector<std::wstring>{L"Download", L"No"}), Labels(buttons));
        EXPECT_EQ(IDYES, buttons[0].id);
        EXPECT_EQ(IDNO, buttons[1].id);
        EXPECT_FALSE(record.Wait(0)) << "the product starts only after the check";

        if (choice == Choice::Download)
            driver::Press(buttons[0]);
        else if (choice == Choice::No)
            driver::Press(buttons[1]);
        else
            ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);

        DWORD exitCode = 1234;
        ASSERT_TRUE(launcher.Wait(30000, &exitCode));
        const auto product = record.Wait(10000);
        ASSERT_TRUE(product) << "the product did not start";
        EXPECT_EQ(L"\"" + m_folder + L"orlix.bim\" /quiet \"D:\\My Data\\set 1.cfg\"", product->commandLine);
        if (choice == Choice::Download)
            EXPECT_EQ(std::vector<std::wstring>{kDownloadUrl}, test::WaitForShellLog(1));
        else
            EXPECT_EQ(std::vector<std::wstring>{}, test::WaitForShellLog(0));
        // The exit code is the wParam of the last message the dialog's loop
        // retrieved: the posted click (0), or the IDCANCEL command that the
        // dialog posts itself when its close box is used.
        EXPECT_EQ(choice == Choice::CloseBox ? static_cast<DWORD>(IDCANCEL) : 0u, exitCode);
    }
}

TEST_F(UpdateCheck, NoWindowWhenNothingNewerOfTheSameLine)
{
    const char* const answers[] = {
        R"({"version": "1.1.1.0", "url": "http://x.test/"})",
        R"({"version": "2.0.0.0", "url": "http://x.test/"})",
        R"({"version": "1.2.0.0", "url": "http://x.test/"})",
        R"({"version": "1.1.2.0", "url": "http://x.test/"})",
        R"({"version": "1.1.0.9", "url": "http://x.test/"})",
        R"({"result": ""})",
        R"({"missing": true})",
        R"({"nil": true})",
        R"({"result": "<main>1</main><minor>1</minor><build1>1</build1><build2>-3</build2>"})",
        R"({"result": "<build2>0</build2><build1>1</build1><minor>1</minor><main>1</main>"})",
    };
    for (const char* answer : answers) {
        SCOPED_TRACE(answer);
        ASSERT_TRUE(m_service.SetDefault(answer));
        const e2e::Launch launch = e2e::RunLauncher(m_folder, L"launcher.exe -x", m_temp.Path());
        EXPECT_TRUE(launch.run.exited) << "a window held the start";
        EXPECT_EQ(0u, launch.run.exitCode);
        ASSERT_TRUE(launch.record) << "the product did not start";
        EXPECT_EQ(L"\"" + m_folder + L"orlix.bim\" -x", launch.record->commandLine);
    }
}

TEST_F(UpdateCheck, TagsAreReadAsPlainText)
{
    struct Case {
        const char* result; // the answer text, as JSON
        bool offered;
    } const cases[] = {
        {R"("<build2>1</build2><url>http://x.test/</url><main>1</main><minor>1</minor><build1>1</build1>")", true},
        {R"("<main>1</main><minor>1</minor><build1>1</build1><build2> 3abc</build2>")", true},
        {R"("<main>1</main><minor></minor><build1>1</build1><build2>5</build2>")", false}, // empty minor is 0
        {R"("<main>1<minor>1<build1>1<build2>2")", true}, // no "<" after the last value
        {R"("text <main>1</main> more <minor>1</minor><build1>1</build1>x<build2>9</build2>")", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        ASSERT_TRUE(m_service.SetDefault(std::string(R"({"result": )") + c.result + "}"));
        e2e::RecordFile record(m_temp.Path());
        driver::RunningProcess launcher(m_folder + L"launcher.exe", L"launcher.exe");
        const HWND dialog = driver::WaitForDialog(launcher.Id(), c.offered ? 30000 : 0);
        if (c.offered) {
            ASSERT_NE(nullptr, dialog);
            ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        ASSERT_TRUE(launcher.Wait(30000)) << "the launcher did not end";
        EXPECT_EQ(nullptr, c.offered ? nullptr : driver::WaitForDialog(launcher.Id(), 0));
        EXPECT_TRUE(record.Wait(10000)) << "the product did not start";
    }
}

TEST_F(UpdateCheck, FailedCheckShowsTheErrorBoxThenStartsTheProduct)
{
    const char* const answers[] = {
        R"({"fault": {"string": "Server was unable to process request."}})",
        R"({"status": 404, "body": "<html><body>Not Found</body></html>", "content_type": "text/html"})",
        R"({"version": "1.1.1.1", "url": "http://x.test/", "cut_after": 120})",
        R"({"close": true})",
        R"({"hang": true, "hang_seconds": 60})",
        // A byte a second, headers included: only the total limit ends it.
        R"({"version": "1.1.1.1", "url": "http://x.test/", "trickle": {"interval": 1, "bytes": 1, "headers": true}})",
    };
    for (const char* answer : answers) {
        SCOPED_TRACE(answer);
        ASSERT_TRUE(m_service.SetDefault(answer));
        e2e::RecordFile record(m_temp.Path());
        const DWORD begin = ::GetTickCount();
        driver::RunningProcess launcher(m_folder + L"launcher.exe", L"launcher.exe -x");
        // About 12 s at most on the service whatever it does; 30 s leaves room
        // for a slow machine without letting an unbounded wait pass.
        const HWND dialog = driver::WaitForDialog(launcher.Id(), 30000);
        ASSERT_NE(nullptr, dialog) << "no error box after " << ::GetTickCount() - begin << " ms";
        const std::vector<driver::Button> buttons = driver::Buttons(dialog);
        ASSERT_EQ(std::vector<std::wstring>{L"Close"}, Labels(buttons));
        EXPECT_EQ(IDCLOSE, buttons[0].id);
        EXPECT_FALSE(record.Wait(0)) << "the product starts only after the check";
        driver::Press(buttons[0]);
        ASSERT_TRUE(launcher.Wait(30000));
        EXPECT_TRUE(record.Wait(10000)) << "the product did not start";
    }
}

TEST_F(UpdateCheck, DownloadOpensOnlyWebPages)
{
    const wchar_t* const urls[] = {
        L"file:///C:/windows/system32/notepad.exe",
        L"C:\\windows\\system32\\notepad.exe",
        L"\\\\127.0.0.1\\share\\setup.exe",
        L"javascript:alert(1)",
        L"",
    };
    for (const wchar_t* url : urls) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(url)));
        EXPECT_EQ(std::vector<std::wstring>{}, PressDownload(NewerBuild(url), 0));
    }
}

TEST_F(UpdateCheck, DownloadOpensALocalisedPageAsItsPlainAddress)
{
    const std::wstring localised = L"http://dl.example/\u00fc?q=\u00e4&r=1";
    const std::wstring plain = L"http://dl.example/%C3%BC?q=%C3%A4&r=1";
    struct Case {
        std::string answer;
        std::wstring opened;
    } const cases[] = {
        {NewerBuild(localised), plain}, // sent as UTF-8
        {NewerBuild(localised, R"(, "encoding": "iso-8859-1")"), plain},
        {R"({"result_xml": "&lt;main&gt;1&lt;/main&gt;&lt;minor&gt;1&lt;/minor&gt;&lt;build1&gt;1&lt;/build1&gt;)"
         R"(&lt;build2&gt;1&lt;/build2&gt;&lt;url&gt;http://dl.example/&#xFC;?q=&#228;&amp;r=1&lt;/url&gt;"})",
         plain},
        {NewerBuild(L"http://b\u00fccher.example/velto/\u00fc#\u20ac"),
         L"http://xn--bcher-kva.example/velto/%C3%BC#%E2%82%AC"},
        // An address in ASCII, percent-encoded bytes included, opens unchanged.
        {NewerBuild(L"http://dl.example/%C3%BC?q=%e4&r=1"), L"http://dl.example/%C3%BC?q=%e4&r=1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        EXPECT_EQ(std::vector<std::wstring>{c.opened}, PressDownload(c.answer, 1));
    }
}

// Runs after the update service has stopped: its port is closed.
TEST(ServiceDown, UnreachableServiceShowsTheErrorBoxThenStartsTheProduct)
{
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"Velto Backup");
    e2e::Install(folder);
    e2e::RecordFile record(temp.Path());
    driver::RunningProcess launcher(folder + L"launcher.exe", L"launcher.exe a b");
    const HWND dialog = driver::WaitForDialog(launcher.Id(), 30000);
    ASSERT_NE(nullptr, dialog);
    const std::vector<driver::Button> buttons = driver::Buttons(dialog);
    ASSERT_EQ(std::vector<std::wstring>{L"Close"}, Labels(buttons));
    // Escape ends it too; the key press is the last message its loop retrieved.
    ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    DWORD exitCode = 0;
    ASSERT_TRUE(launcher.Wait(30000, &exitCode));
    EXPECT_EQ(static_cast<DWORD>(VK_ESCAPE), exitCode);
    const auto product = record.Wait(10000);
    ASSERT_TRUE(product) << "the product did not start";
    EXPECT_EQ(L"\"" + folder + L"orlix.bim\" a b", product->commandLine);
}
