#pragma once
// Sending a request within the call's deadline.
#include "soap/call_deadline.h"

#include <string>

// HttpSendRequestW, waiting no longer than the deadline allows. The send runs
// on a helper thread with its own copies of the headers and the body: Wine
// does not end a send that is reading slowly arriving response headers when
// the deadline closes its handle, so the wait is ended here instead and the
// helper finishes on its own. (Windows ends the helper's send at once.)
bool SendRequestWithin(HINTERNET request, const std::wstring& headers, const std::string& body,
                       const CCallDeadline& deadline);
