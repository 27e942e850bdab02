// The GUI subsystem's Unicode entry point hands over to the framework.
#include "framework/win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand)
{
    // The tail is taken from GetCommandLineW by our own rule, not from the
    // runtime's argument, so the product gets exactly what follows the name.
    return AfxWinMain(instance, ::GetCommandLineW(), showCommand);
}
