#pragma once
// Sending a request within the call's deadline and a memory budget.
#include "soap/call_deadline.h"

#include <wininet.h>

#include <string>

enum class SendOutcome {
    Sent,
    Failed,   // also a send cut off (see SendRequestWithin): what it read is not to be used
    TimedOut, // the send still runs on its helper thread, which owns a use of the handle
};

// What the process may grow by while a send runs: its own allocations are a
// few kilobytes (an HTTPS handshake under Wine, about 1.3 MB), while response
// header lines sent without end grow it by megabytes a second.
constexpr SIZE_T kSendMemoryBudget = SIZE_T{16} * 1024 * 1024;

// How long a send cut off may take to return before it is left to its thread.
constexpr DWORD kCutSendGrace = 2000;

// HttpSendRequestW to the server on `serverPort`, waiting no longer than the
// deadline allows (without end when it is not armed). The send runs on a
// helper thread with its own copies of the headers and the body: Wine does
// not end a send that is reading response headers when its handle is
// closed, and keeps every header line it reads. Once the deadline passes or
// the process has grown by more than kSendMemoryBudget, the connection is
// cut (CutConnection, connection_cut.h): a send that then returns within
// kCutSendGrace fails, one that does not is left to its thread, bounded by
// the request's time-outs.
SendOutcome SendRequestWithin(HINTERNET request, INTERNET_PORT serverPort, const std::wstring& headers,
                              const std::string& body, const CCallDeadline& deadline);
