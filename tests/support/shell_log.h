#pragma once
// What the shell was asked to open: the log of the shell recorder
// (tools/shell_recorder.sh), which Wine starts in place of a web browser.
#include <windows.h>

#include <string>
#include <vector>

namespace test {

// The log's path (the build folder's shell-opened.log).
std::wstring ShellLog();
// Removes the log, before the test acts.
void ClearShellLog();
// The URLs the shell was asked to open, one per complete line of the log:
// waits until `expected` have arrived, or up to `patience` when none are
// expected so that a late one is still seen. The browser starts
// asynchronously, so a test clears the log, acts, then waits here.
std::vector<std::wstring> WaitForShellLog(size_t expected, DWORD patience = 0);

} // namespace test
