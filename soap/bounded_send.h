#pragma once
// Sending a request within the call's deadline.
#include "soap/call_deadline.h"

#include <wininet.h>

#include <string>

enum class SendOutcome {
    Sent,
    Failed,
    TimedOut, // the send still runs on its helper thread, which owns a use of the handle
};

// HttpSendRequestW, waiting no longer than the deadline allows (without end
// when it is not armed). The send runs
// on a helper thread with its own copies of the headers and the body: Wine
// does not end a send that is reading slowly arriving response headers when
// its handle is closed, so the wait is ended here instead and the helper
// finishes on its own, bounded by the request's time-outs.
SendOutcome SendRequestWithin(HINTERNET request, const std::wstring& headers, const std::string& body,
                              const CCallDeadline& deadline);
