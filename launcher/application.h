#pragma once
// The launcher's application object: all of its work happens in InitInstance,
// which checks for updates, starts the product and returns FALSE so that the
// process ends without a message loop.
#include "framework/win_app.h"

class Application : public CWinApp {
public:
    Application() = default;

    BOOL InitInstance() override;

    // The update check, then the product launch, whatever the check did.
    void CheckUpdatesAndLaunch();

    // The Help command, taken by the framework's handler; nothing sends it.
    MESSAGE_MAP_MEMBERS();
};
