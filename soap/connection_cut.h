#pragma once
// Ending the transfer of a request whose send runs on another thread.
#include <windows.h>
#include <wininet.h>

// Shuts down the sockets of `request`'s connection to the server on
// `serverPort`, so that a send still reading (response header lines without
// end) fails its next read and returns. Closes nothing: the sockets stay
// WinINet's to close. True when a socket was shut down.
bool CutConnection(HINTERNET request, INTERNET_PORT serverPort);
