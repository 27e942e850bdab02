// The launcher as a user meets it: copied next to a product, started with a
// command line, it starts the product with exactly that tail and exits.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/e2e/installation.h"
#include "tests/support/update_service_client.h"

namespace {

using e2e::Install;
using e2e::Launch;
using e2e::RunLauncher;

std::wstring WithoutTrailingBackslash(std::wstring path)
{
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

// The service answers "up to date": nothing stands between start and launch.
class ProductLaunch : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::UpdateServiceControl().Reset()) << "the update service does not answer"; }
};

} // namespace

TEST_F(ProductLaunch, ProductGetsTheTailTheFolderAndTheDesktop)
{
    test::TempFolder temp(L"launch-e2e"); // the one blank of these paths is in "My Apps"
    const std::wstring apps = temp.MakeFolder(L"My Apps");
    const std::wstring backup = temp.MakeFolder(L"Apps\\Backup");
    Install(apps);
    Install(backup);

    // {folder, launcher's command line, product's command line}; `@` stands
    // for the installation folder.
    struct Case {
        std::wstring folder;
        std::wstring commandLine;
        std::wstring productCommandLine;
    } const cases[] = {
        {backup, LR"("@launcher.exe" /quiet "D:\My Data\set 1.cfg")", LR"("@orlix.bim" /quiet "D:\My Data\set 1.cfg")"},
        {backup, LR"("@launcher.exe")", LR"("@orlix.bim" )"},
        {backup, L"launcher.exe -x", LR"("@orlix.bim" -x)"},
        // The name ends at the first blank outside quotes: here inside "My Apps".
        {apps, LR"(@launcher.exe x)", LR"("@orlix.bim" Apps\launcher.exe x)"},
        {apps, LR"("@launcher.exe"x y)", LR"("@orlix.bim" y)"},
        {apps, L"launcher.exe \t \t-a \t b\t ", L"\"@orlix.bim\" -a \t b\t "},
        {apps, L"launcher.exe", L"\"@orlix.bim\" "},
    };
    auto expand = [](std::wstring text, const std::wstring& folder) {
        for (size_t at; (at = text.find(L'@')) != std::wstring::npos;)
            text.replace(at, 1, folder);
        return text;
    };
    for (const Case& c : cases) {
        const std::wstring commandLine = expand(c.commandLine, c.folder);
        SCOPED_TRACE(testing::PrintToString(commandLine));
        const Launch launch = RunLauncher(c.folder, commandLine, temp.Path());
        ASSERT_TRUE(launch.run.started);
        EXPECT_TRUE(launch.run.exited);
        EXPECT_EQ(0u, launch.run.exitCode);
        ASSERT_TRUE(launch.record) << "the product did not start";
        EXPECT_EQ(expand(c.productCommandLine, c.folder), launch.record->commandLine);
        // A process reports its folder without the trailing backslash it was given.
        EXPECT_EQ(WithoutTrailingBackslash(c.folder), launch.record->directory);
        EXPECT_EQ(L"WinSta0\\Default", launch.record->desktop);
        EXPECT_EQ(0u, launch.record->flags);
    }
}

TEST_F(ProductLaunch, ProductInheritsTheLaunchersEnvironment)
{
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"Velto Backup");
    Install(folder);
    test::ScopedEnvironment marker(L"LAUNCHER_TEST_MARKER", L"a b=c \u00E9");
    const Launch launch = RunLauncher(folder, L"launcher.exe", temp.Path());
    ASSERT_TRUE(launch.record);

    std::vector<std::wstring> expected = test::CurrentEnvironment();
    expected.push_back(L"ORLIX_RECORD_FILE=" + temp.Path() + L"record.txt");
    std::vector<std::wstring> received = launch.record->environment;
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    std::sort(received.begin(), received.end());
    EXPECT_EQ(expected, received);
}

// A launcher path over 260 characters is shown through the growth loop's seam
// (tests/launcher/path_helpers_test.cpp): Wine 8 aborts in CreateProcessW
// for an executable path of that length, so it cannot be run for real here.

TEST_F(ProductLaunch, MissingProductEndsQuietlyWithExitCodeZero)
{
    test::TempFolder temp;
    const std::wstring folder = temp.MakeFolder(L"No Product");
    Install(folder, false);
    // The launcher has exited; a product would have written within moments.
    const Launch launch = RunLauncher(folder, L"launcher.exe -x", temp.Path(), 2000);
    ASSERT_TRUE(launch.run.started);
    EXPECT_TRUE(launch.run.exited);
    EXPECT_EQ(0u, launch.run.exitCode);
    EXPECT_FALSE(launch.record);
}
