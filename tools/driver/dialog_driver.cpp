// Presses a dialog's button for the demo on a virtual display, where no user
// is there to do it:
//
//   dialog_driver wait SECONDS   ends when a dialog of any process shows (exit 0) or not (1)
//   dialog_driver press LABEL    presses the button labelled LABEL in the shown dialog
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/driver/process_driver.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: dialog_driver wait SECONDS | press LABEL\n");
        return 2;
    }
    const std::wstring command = argv[1];
    const DWORD wait = command == L"wait" ? static_cast<DWORD>(_wtoi(argv[2])) * 1000 : 5000;
    const HWND dialog = driver::WaitForDialog(0, wait);
    if (!dialog)
        return 1;
    if (command == L"wait")
        return 0;
    for (const driver::Button& button : driver::Buttons(dialog)) {
        if (button.text == argv[2]) {
            driver::Press(button);
            return 0;
        }
    }
    std::fprintf(stderr, "no such button\n");
    return 1;
}
