#include "soap/bounded_send.h"

#include "framework/scoped_handle.h"

#include <memory>
#include <thread>

namespace {

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

} // namespace

SendOutcome SendRequestWithin(HINTERNET request, const std::wstring& headers, const std::string& body,
                              const CCallDeadline& deadline)
{
    std::shared_ptr<SendJob> job;
    std::thread helper;
    try {
        job = std::make_shared<SendJob>(request, headers, body);
        if (!job->m_done)
            return SendOutcome::Failed;
        helper = std::thread([job] {
            job->m_sent = ::HttpSendRequestW(job->m_request, job->m_headers.c_str(),
                                             static_cast<DWORD>(job->m_headers.size()), job->m_body.data(),
                                             static_cast<DWORD>(job->m_body.size()));
            ::SetEvent(job->m_done.get());
        });
    } catch (const std::exception&) {
        return SendOutcome::Failed;
    }
    if (::WaitForSingleObject(job->m_done.get(), deadline.Remaining()) == WAIT_OBJECT_0) {
        helper.join();
        return job->m_sent ? SendOutcome::Sent : SendOutcome::Failed;
    }
    // Past the deadline: the helper keeps its job alive until its send returns.
    helper.detach();
    return SendOutcome::TimedOut;
}
