#include "framework/scoped_handle.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

int g_closed = 0;
struct CountingDeleter {
    void operator()(int*) const { ++g_closed; }
};
using Scoped = ScopedHandle<int*, CountingDeleter>;

static_assert(!std::is_copy_constructible<Scoped>::value, "a copy would close the handle twice");
static_assert(!std::is_copy_assignable<Scoped>::value, "a copy would close the handle twice");

TEST(ScopedHandle, ClosesOnceWhateverPathOwnershipTakes)
{
    int a = 0;
    int b = 0;
    g_closed = 0;
    {
        Scoped first(&a);
        Scoped second(std::move(first));
        EXPECT_FALSE(first); // NOLINT(bugprone-use-after-move): what a move leaves behind is what is tested
        EXPECT_EQ(&a, second.get());
        second.reset(&b); // closes a
        EXPECT_EQ(1, g_closed);
        Scoped third;
        third = std::move(second);
        EXPECT_EQ(&b, third.get());
        EXPECT_EQ(&b, third.release()); // b is not closed
        EXPECT_FALSE(third);
        Scoped empty;
        empty.reset(); // nothing held: the deleter is not called
    }
    EXPECT_EQ(1, g_closed);
}

TEST(ScopedHandle, ClosesAKernelHandle)
{
    ScopedKernelHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    const HANDLE raw = event.get();
    event.reset();
    EXPECT_FALSE(::SetEvent(raw));
}

// Each kind's deleter frees that kind: a wrong one would leak without a sign.
TEST(ScopedHandle, EachKindIsFreedByItsOwnDeleter)
{
    ScopedGdiObject<HRGN> region(::CreateRectRgn(0, 0, 1, 1));
    ScopedGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, 16));
    ScopedIcon icon(
        ::CreateIcon(nullptr, 1, 1, 1, 1, std::vector<BYTE>(4, 0xFF).data(), std::vector<BYTE>(4, 0).data()));
    ScopedMemoryDC dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(region && memory && icon && dc);
    const HRGN rawRegion = region.get();
    const HGLOBAL rawMemory = memory.get();
    const HICON rawIcon = icon.get();
    const HDC rawDc = dc.get();
    region.reset();
    memory.reset();
    icon.reset();
    dc.reset();
    EXPECT_EQ(0u, ::GetObjectType(rawRegion));
    EXPECT_EQ(static_cast<UINT>(GMEM_INVALID_HANDLE), ::GlobalFlags(rawMemory));
    ICONINFO info;
    EXPECT_FALSE(::GetIconInfo(rawIcon, &info));
    EXPECT_EQ(0u, ::GetObjectType(rawDc));
}

} // namespace
