#pragma once
// Drives another process's dialogs as a user would: find the window, read
// its buttons, press one.
#include "framework/scoped_handle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// A process started with an exact command line that the test does not wait
// for at once; ended when the object goes, if it still runs.
class RunningProcess {
public:
    RunningProcess(const std::wstring& application, const std::wstring& commandLine);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    // Waits for the end; false when it still runs after `timeout`.
    bool Wait(DWORD timeoutMilliseconds, DWORD* exitCode = nullptr);

private:
    ScopedKernelHandle m_process;
    DWORD m_id = 0;
};

// The first visible dialog window (class "#32770") of the process (of any
// process for 0); null when none appears in time.
HWND WaitForDialog(DWORD processId, DWORD timeoutMilliseconds);

struct Button {
    HWND window;
    int id;
    std::wstring text;
    RECT rect; // in the dialog's client coordinates
};

// The dialog's push buttons, left to right.
std::vector<Button> Buttons(HWND dialog);

std::wstring WindowText(HWND window);

// Presses the button as a click would (BM_CLICK, sent asynchronously so the
// dialog's own thread runs it).
void Press(const Button& button);

} // namespace driver
