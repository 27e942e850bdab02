#include "soap/bounded_send.h"

#include "framework/scoped_handle.h"
#include "soap/connection_cut.h"

#include <psapi.h>

#include <algorithm>
#include <memory>
#include <thread>

namespace {

// How often a running send's memory is looked at.
constexpr DWORD kMemoryPollInterval = 50;

struct SendJob {
    HINTERNET m_request; // not owned
    std::wstring m_headers;
    std::string m_body;
    BOOL m_sent = FALSE;
    ScopedKernelHandle m_done{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};

    SendJob(HINTERNET request, const std::wstring& headers, const std::string& body)
        : m_request(request), m_headers(headers), m_body(body)
    {
    }
    SendJob(const SendJob&) = delete;
    SendJob& operator=(const SendJob&) = delete;
};

SIZE_T PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters) ? counters.PagefileUsage : 0;
}

bool OutgrewBudget(SIZE_T start)
{
    const SIZE_T now = PrivateBytes();
    return now > start && now - start > kSendMemoryBudget;
}

} // namespace

SendOutcome SendRequestWithin(HINTERNET request, INTERNET_PORT serverPort, const std::wstring& headers,
                              const std::string& body, const CCallDeadline& deadline)
{
    std::shared_ptr<SendJob> job;
    std::thread helper;
    const SIZE_T start = PrivateBytes();
    try {
        job = std::make_shared<SendJob>(request, headers, body);
        if (!job->m_done)
            return SendOutcome::Failed;
        helper = std::thread([job] {
            job->m_sent =
                ::HttpSendRequestW(job->m_request, job->m_headers.c_str(), static_cast<DWORD>(job->m_headers.size()),
                                   job->m_body.data(), static_cast<DWORD>(job->m_body.size()));
            ::SetEvent(job->m_done.get());
        });
    } catch (const std::exception&) {
        return SendOutcome::Failed;
    }
    for (;;) {
        if (::WaitForSingleObject(job->m_done.get(), std::min(deadline.Remaining(), kMemoryPollInterval)) ==
            WAIT_OBJECT_0) {
            helper.join();
            return job->m_sent ? SendOutcome::Sent : SendOutcome::Failed;
        }
        if (deadline.Expired() || OutgrewBudget(start))
            break;
    }
    const bool cut = CutConnection(request, serverPort);
    if (cut && ::WaitForSingleObject(job->m_done.get(), kCutSendGrace) == WAIT_OBJECT_0) {
        helper.join();
        return SendOutcome::Failed;
    }
    // The helper keeps its job alive until its send returns.
    helper.detach();
    return SendOutcome::TimedOut;
}
