#include "framework/thread_state.h"

ThreadState& AfxGetThreadState()
{
    static ThreadState state;
    return state;
}
