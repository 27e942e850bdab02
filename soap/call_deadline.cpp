#include "soap/call_deadline.h"

bool CCallDeadline::Arm(HINTERNET request, DWORD milliseconds)
{
    Disarm();
    m_expired = false;
    m_request = request;
    m_end = ::GetTickCount64() + milliseconds;
    if (!::CreateTimerQueueTimer(&m_timer, nullptr, &CCallDeadline::OnDeadline, this, milliseconds, 0,
                                 WT_EXECUTEONLYONCE)) {
        m_timer = nullptr;
        m_request = nullptr;
        return false;
    }
    return true;
}

bool CCallDeadline::Disarm()
{
    if (!m_timer)
        return false;
    // INVALID_HANDLE_VALUE: waits until a callback that already started ends.
    ::DeleteTimerQueueTimer(nullptr, m_timer, INVALID_HANDLE_VALUE);
    m_timer = nullptr;
    m_request = nullptr;
    return m_expired.exchange(false);
}

DWORD CCallDeadline::Remaining() const
{
    if (!m_timer || m_expired.load())
        return 0;
    const ULONGLONG now = ::GetTickCount64();
    return now >= m_end ? 0 : static_cast<DWORD>(m_end - now);
}

void CALLBACK CCallDeadline::OnDeadline(void* context, BOOLEAN)
{
    auto* self = static_cast<CCallDeadline*>(context);
    // Marked first, so that a read which starts now does not use the handle.
    self->m_expired = true;
    ::InternetCloseHandle(self->m_request);
}
