#pragma once
// The total time limit of one HTTP call, read as a clock. How the transport
// and the parsers use it: soap/wininet_client.h.
#include <windows.h>

// The code with which reads and content handlers fail once the deadline passed.
constexpr HRESULT kCallTimedOut = HRESULT_FROM_WIN32(ERROR_TIMEOUT);

class CCallDeadline {
public:
    // Starts the limit: `milliseconds` from now. 0 sets none.
    void Arm(DWORD milliseconds);
    void Disarm() { m_armed = false; }
    bool Armed() const { return m_armed; }
    // True once the deadline has passed (never when not armed).
    bool Expired() const;
    // Milliseconds left until the deadline: 0 once it passed, INFINITE when not armed.
    DWORD Remaining() const;

private:
    bool m_armed = false;
    ULONGLONG m_end = 0;
};

// S_OK, or kCallTimedOut once `deadline` (when given) has passed.
inline HRESULT CheckDeadline(const CCallDeadline* deadline)
{
    return deadline && deadline->Expired() ? kCallTimedOut : S_OK;
}
