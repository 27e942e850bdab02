#pragma once
// A total time limit for one HTTP call: at the deadline a timer-queue thread
// closes the request handle, which ends a blocking WinINet call on it.
#include <windows.h>
#include <wininet.h>

#include <atomic>

class CCallDeadline {
public:
    CCallDeadline() = default;
    ~CCallDeadline() { Disarm(); }
    CCallDeadline(const CCallDeadline&) = delete;
    CCallDeadline& operator=(const CCallDeadline&) = delete;

    // Closes `request` after `milliseconds` unless disarmed first. False
    // when no timer could be made (the call then runs without the limit).
    bool Arm(HINTERNET request, DWORD milliseconds);
    // Cancels the timer and waits for a callback that is running. Returns
    // true when the deadline passed since Arm: the request handle is then
    // closed and must not be closed again.
    bool Disarm();
    // True once the deadline passed, until Disarm.
    bool Expired() const { return m_expired.load(); }
    // Milliseconds left until the deadline (0 once it passed or when not armed).
    DWORD Remaining() const;

private:
    static void CALLBACK OnDeadline(void* context, BOOLEAN timerFired);

    HANDLE m_timer = nullptr;
    ULONGLONG m_end = 0;
    HINTERNET m_request = nullptr; // not owned: the client's request handle
    std::atomic<bool> m_expired{false};
};
