#include <gtest/gtest.h>

#include <string>

#include "framework/command_line.h"

TEST(CommandLineTail, FollowsTheProgramNameRule)
{
    struct Case {
        const wchar_t* commandLine;
        const wchar_t* tail;
    } const cases[] = {
        {LR"("C:\Apps\Backup\launcher.exe" /quiet "D:\My Data\set 1.cfg")", LR"(/quiet "D:\My Data\set 1.cfg")"},
        {LR"("C:\Apps\Backup\launcher.exe")", L""},
        {L"launcher.exe -x", L"-x"},
        {LR"(C:\My Apps\launcher.exe x)", LR"(Apps\launcher.exe x)"},
        {LR"("C:\My Apps\launcher.exe"x y)", L"y"},
        // Blanks and tabs after the name go; inside and after the arguments they stay.
        {L"launcher.exe \t  a \t b\t ", L"a \t b\t "},
        {L"\"launcher.exe\"\t\t-x", L"-x"},
        // A quote inside the name only toggles; an unclosed one runs to the end.
        {L"\"C:\\a b\\l.exe x y", L""},
        {L"l\"a b\"c.exe  z", L"z"},
        // Control characters count as blanks.
        {L"launcher.exe\x01\x1F"
         L"arg",
         L"arg"},
        {L"launcher.exe", L""},
        {L"   x", L"x"},
        {L"", L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.tail), CommandLineTail(c.commandLine))
            << "command line: " << testing::PrintToString(std::wstring(c.commandLine));
}

TEST(CommandLineTail, AbsentCommandLineIsEmpty)
{
    EXPECT_EQ(std::wstring(), CommandLineTail(nullptr));
}

TEST(CommandLineTail, PointsIntoTheCommandLine)
{
    const wchar_t* line = L"a.exe b";
    EXPECT_EQ(line + 6, CommandLineTail(line));
}
