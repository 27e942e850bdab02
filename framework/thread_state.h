#pragma once
// Per-thread framework state. The program has one thread, so one record.
#include <windows.h>

struct ThreadState {
    // The last message a modal loop retrieved; its wParam becomes the exit
    // code when the application ends (0 when no loop has run).
    MSG m_msgCur{};
};

ThreadState& AfxGetThreadState();
