#pragma once
// The update check that runs before every product start. It may block for a
// network request and show modal dialogs; it never stops the start.
void CheckForUpdates();
