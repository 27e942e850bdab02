#pragma once
// The update check that runs before every product start. It may block for a
// network request and show modal dialogs; it never stops the start.
#include <windows.h>

#include <string>

#include "soap/wininet_client.h"
#include "update/version_answer.h"

// Asks the update service and compares its answer with the built-in
// version. On a successful call `downloadUrl` is set (possibly empty);
// otherwise it is left as it was and the result is CheckFailed. An
// allocation failure is a failed check too. A failed check leaves one line
// for a debugger (DescribeFailedCheck).
UpdateStatus QueryUpdate(std::wstring& downloadUrl);

// The debugger's line about a failed check: the stage and the code, written
// into `line` without allocating.
void DescribeFailedCheck(ClientError stage, HRESULT hr, wchar_t (&line)[160]);

// Runs QueryUpdate and tells the user: offers the download of a newer build,
// or reports that the check failed. Nothing is shown when up to date.
void CheckForUpdates();
