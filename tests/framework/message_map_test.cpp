// Typed map entries hand their handlers the parameters unpacked, and
// dispatch finds the first entry of the most derived map.
#include <gtest/gtest.h>

#include "framework/message_map.h"

namespace {

class Base : public CCmdTarget {
public:
    UINT Seen() const { return m_seen; }
    int OnQuery() { return 7; }
    void OnBaseOnly() { m_seen = 1; }

protected:
    UINT m_seen = 0;

    MESSAGE_MAP_MEMBERS();
};

DEFINE_MESSAGE_MAP(Base, CCmdTarget,
                   MessageEntry<&Base::OnQuery>(WM_APP),
                   CommandEntry<&Base::OnBaseOnly>(100));

class Derived : public Base {
public:
    POINT point = {};
    UINT flags = 0;
    UINT id = 0, code = 0;
    HWND control = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;

private:
    void OnMouse(UINT f, POINT p) { flags = f, point = p; }
    void OnCommands(UINT i, UINT c, HWND h) { id = i, code = c, control = h; }
    LRESULT OnRaw(WPARAM w, LPARAM l)
    {
        wParam = w, lParam = l;
        return 5;
    }

    MESSAGE_MAP_MEMBERS();
};

DEFINE_MESSAGE_MAP(Derived, Base,
                   MouseEntry<&Derived::OnMouse>(WM_MOUSEMOVE),
                   CommandRangeEntry<&Derived::OnCommands>(1, 11),
                   MessageEntry<&Derived::OnRaw>(WM_APP + 1),
                   IgnoredEntry(WM_MOUSELEAVE));

LRESULT Dispatch(CCmdTarget& target, UINT message, WPARAM wParam, LPARAM lParam, bool* handled = nullptr)
{
    LRESULT result = -1;
    const bool found = target.DispatchMapped(message, wParam, lParam, result);
    if (handled)
        *handled = found;
    return result;
}

} // namespace

TEST(MessageMap, MouseEntryUnpacksTheFlagsAndASignedPoint)
{
    Derived target;
    EXPECT_EQ(0, Dispatch(target, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-3, 40)));
    EXPECT_EQ(static_cast<UINT>(MK_LBUTTON), target.flags);
    EXPECT_EQ(-3, target.point.x);
    EXPECT_EQ(40, target.point.y);
}

TEST(MessageMap, CommandRangeTakesItsBoundsAndNothingBeyond)
{
    const HWND control = reinterpret_cast<HWND>(0x1234);
    struct Case {
        UINT id;
        bool handled;
    } cases[] = {{0, false}, {1, true}, {11, true}, {12, false}};
    for (const Case& c : cases) {
        Derived target;
        bool handled = false;
        Dispatch(target, WM_COMMAND, MAKEWPARAM(c.id, BN_SETFOCUS), reinterpret_cast<LPARAM>(control), &handled);
        EXPECT_EQ(c.handled, handled) << c.id;
        if (c.handled) {
            EXPECT_EQ(c.id, target.id);
            EXPECT_EQ(static_cast<UINT>(BN_SETFOCUS), target.code);
            EXPECT_EQ(control, target.control);
        }
    }
}

TEST(MessageMap, HandlerResultsAndTheBaseMapsEntries)
{
    Derived target;
    EXPECT_EQ(5, Dispatch(target, WM_APP + 1, 9, 10)) << "the raw handler's result";
    EXPECT_EQ(9u, target.wParam);
    EXPECT_EQ(10, target.lParam);
    EXPECT_EQ(7, Dispatch(target, WM_APP, 0, 0)) << "found in the base's map";
    Dispatch(target, WM_COMMAND, 100, 0);
    EXPECT_EQ(1u, target.Seen());

    bool handled = false;
    EXPECT_EQ(0, Dispatch(target, WM_MOUSELEAVE, 0, 0, &handled));
    EXPECT_TRUE(handled) << "an ignored message is still taken";
    Dispatch(target, WM_PAINT, 0, 0, &handled);
    EXPECT_FALSE(handled);
}
