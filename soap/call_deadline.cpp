#include "soap/call_deadline.h"

void CCallDeadline::Arm(DWORD milliseconds)
{
    m_armed = milliseconds != 0;
    m_end = ::GetTickCount64() + milliseconds;
}

bool CCallDeadline::Expired() const
{
    return m_armed && ::GetTickCount64() >= m_end;
}

DWORD CCallDeadline::Remaining() const
{
    if (!m_armed)
        return INFINITE;
    const ULONGLONG now = ::GetTickCount64();
    return now >= m_end ? 0 : static_cast<DWORD>(m_end - now);
}
