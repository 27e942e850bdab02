// What a screen reader finds of the message box from another process. A
// reader takes a message box's text from its child windows: their window
// text, read with WM_GETTEXT, in their order, the buttons by their labels.
// (Wine's standard accessible objects answer no names at all, not even the
// buttons' labels, so they cannot show where text is.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/message/tool_box.h"

namespace {

struct ChildWindow {
    std::wstring className;
    std::wstring text;
    bool visible;
    bool enabled;
    bool tabStop;
};

std::wstring TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return L"";
    std::vector<wchar_t> text(length + 1);
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          5000, &copied);
    return std::wstring(text.data(), copied);
}

std::vector<ChildWindow> ReadChildren(HWND box)
{
    std::vector<ChildWindow> children;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, 64);
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        children.push_back({className, TextOf(child), ::IsWindowVisible(child) != FALSE,
                            ::IsWindowEnabled(child) != FALSE, (style & WS_TABSTOP) != 0});
    }
    return children;
}

TEST(ScreenReader, FindsTheMessageAsTheTextOfAStaticControlBeforeTheButtons)
{
    const struct {
        const char* name;
        test::ToolBoxSpec box;
        std::wstring message;
        std::vector<std::wstring> labels;
    } cases[] = {
        {"launcher's question box",
         test::LaunchersQuestionBox(),
         L"A new version is available for download.\r\n\r\nNote: You do not need to uninstall your\r\n"
         L"previous version before you install this one.",
         {L"Download", L"No"}},
        {"box with a link",
         {L"Velto Backup",
          L"Read {hl}the release notes{hl=http://127.0.0.1/notes?v=1&x=y} first.\nThen go on.",
          3,
          {L"1"}},
         L"Read the release notes first.\r\nThen go on.",
         {L"&OK"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ToolBox box(c.box);
        ASSERT_NE(nullptr, box.Window());
        const std::vector<ChildWindow> children = ReadChildren(box.Window());
        ::PostMessageW(box.Window(), WM_COMMAND, IDCANCEL, 0);
        EXPECT_EQ(IDCANCEL, box.Result());

        // The lookup reads text where it is: the buttons' labels.
        std::vector<std::wstring> labels;
        for (const ChildWindow& child : children)
            if (_wcsicmp(child.className.c_str(), L"Button") == 0)
                labels.push_back(child.text);
        EXPECT_EQ(c.labels, labels);

        // The message: a static control read first, shown and available (a
        // reader skips hidden or disabled ones), never given the focus.
        ASSERT_FALSE(children.empty());
        const ChildWindow& first = children.front();
        EXPECT_EQ(0, _wcsicmp(first.className.c_str(), L"Static")) << testing::PrintToString(first.className);
        EXPECT_EQ(c.message, first.text);
        EXPECT_TRUE(first.visible);
        EXPECT_TRUE(first.enabled);
        EXPECT_FALSE(first.tabStop);
    }
}

} // namespace
