#include <gtest/gtest.h>

#include "launcher/process_launcher.h"

TEST(ProcessLauncher, CommandLineIsTheQuotedPathABlankAndTheArguments)
{
    struct Case {
        const wchar_t* path;
        const wchar_t* arguments;
        const wchar_t* commandLine;
    } const cases[] = {
        {LR"(C:\Apps\Backup\orlix.bim)", LR"(/quiet "D:\My Data\set 1.cfg")",
         LR"("C:\Apps\Backup\orlix.bim" /quiet "D:\My Data\set 1.cfg")"},
        {LR"(C:\Apps\Backup\orlix.bim)", L"", LR"("C:\Apps\Backup\orlix.bim" )"},
        {LR"(C:\My Apps\orlix.bim)", LR"(Apps\launcher.exe x)", LR"("C:\My Apps\orlix.bim" Apps\launcher.exe x)"},
        {LR"(C:\a\orlix.bim)", L"a\t b \\\"c\" ",
         LR"("C:\a\orlix.bim" a)"
         L"\t b \\\"c\" "},
    };
    for (const Case& c : cases) {
        ProcessLauncher launcher(c.path, c.arguments);
        EXPECT_EQ(c.commandLine, launcher.CommandLine());
        EXPECT_EQ(nullptr, launcher.Process()) << "nothing starts before Launch";
    }
}

TEST(ProcessLauncher, AMissingProductIsSilent)
{
    ProcessLauncher launcher(LR"(C:\no such folder\orlix.bim)", L"-x");
    launcher.Launch();
    EXPECT_EQ(nullptr, launcher.Process());
}
