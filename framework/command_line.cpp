#include "framework/command_line.h"

const wchar_t* CommandLineTail(const wchar_t* commandLine)
{
    if (!commandLine)
        return L"";
    const wchar_t* p = commandLine;
    // The program name ends at the first blank outside quotes; quotes only
    // toggle, so "C:\My Apps\launcher.exe"x is still one name.
    bool inQuotes = false;
    for (; *p != L'\0'; ++p) {
        if (*p == L'"')
            inQuotes = !inQuotes;
        else if (*p <= L' ' && !inQuotes)
            break;
    }
    while (*p != L'\0' && *p <= L' ')
        ++p;
    return p;
}
