#pragma once
// Ending the transfer of a request whose send runs on another thread.
#include <windows.h>
#include <wininet.h>

// Shuts down the socket of `request`'s connection to the server on
// `serverPort`, so that a send still reading (Wine's reads response header
// lines until a read fails, whatever happens to the handles) fails its next
// read and returns. Closes nothing: a socket stays WinINet's to close, so no
// handle value is closed twice. Under Wine through a proxy nothing is found
// (the peer is the proxy). True when a socket was shut down.
bool CutConnection(HINTERNET request, INTERNET_PORT serverPort);
