// A check that fails for want of memory is a failed check like any other,
// and every failed check leaves one line for a debugger.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "update/check_for_updates.h"

namespace {

// While set, every allocation through operator new fails.
bool g_failAllocations = false;

class FailingAllocations {
public:
    FailingAllocations() { g_failAllocations = true; }
    ~FailingAllocations() { g_failAllocations = false; }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

} // namespace

// The replaceable allocation functions of this test program: the default
// behaviour, unless g_failAllocations is set.
void* operator new(std::size_t size)
{
    void* p = g_failAllocations ? nullptr : std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    return p;
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(FailedCheck, AllocationFailureIsAFailedCheck)
{
    std::wstring url = L"unchanged";
    UpdateStatus status = UpToDate;
    {
        const FailingAllocations failing;
        EXPECT_NO_THROW(status = QueryUpdate(url));
    }
    EXPECT_EQ(CheckFailed, status);
    EXPECT_EQ(L"unchanged", url);
}

TEST(FailedCheck, DebuggerLineNamesTheStageAndTheCode)
{
    wchar_t line[160];
    DescribeFailedCheck(ClientError::ResponseParseFailed, HRESULT_FROM_WIN32(ERROR_TIMEOUT), line);
    EXPECT_STREQ(L"Velto launcher: update check failed: ClientError ResponseParseFailed (10), HRESULT 0x800705B4\n",
                 line);
    DescribeFailedCheck(ClientError::None, E_OUTOFMEMORY, line);
    EXPECT_STREQ(L"Velto launcher: update check failed: ClientError None (0), HRESULT 0x8007000E\n", line);
}
