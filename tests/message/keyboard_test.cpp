// The message box under real keyboard and mouse input (SendInput from this
// process to the box shown by the message-box tool), as a user meets it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/message/tool_box.h"
#include "tools/driver/input_driver.h"

namespace {

bool IsDefaultButton(HWND button)
{
    return (::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// Waits until the button at `index` has the focus and is the only one that
// looks like the default button.
bool WaitForFocusedDefault(HWND box, size_t index)
{
    for (int tries = 0; tries < 250; ++tries) {
        const std::vector<driver::Button> buttons = driver::Buttons(box);
        bool settled = index < buttons.size() && driver::FocusedWindow(box) == buttons[index].window;
        for (size_t i = 0; settled && i < buttons.size(); ++i)
            settled = IsDefaultButton(buttons[i].window) == (i == index);
        if (settled)
            return true;
        ::Sleep(20);
    }
    return false;
}

POINT ScreenCentre(const RECT& window)
{
    return POINT{(window.left + window.right) / 2, (window.top + window.bottom) / 2};
}

TEST(Keyboard, EnterPressesTheFocusedButtonHoweverTheFocusCameThere)
{
    enum class Move { None, Keys, DragOffSecondButton };
    const struct {
        const char* name;
        test::ToolBoxSpec box;
        Move move;
        std::vector<WORD> keys; // before the last key
        size_t focused;         // the button that has the focus then
        WORD last;
        int result;
    } cases[] = {
        {"question box, Enter at once", test::LaunchersQuestionBox(), Move::None, {}, 0, VK_RETURN, IDYES},
        {"question box, Tab then Enter", test::LaunchersQuestionBox(), Move::Keys, {VK_TAB}, 1, VK_RETURN, IDNO},
        {"question box, Right then Enter", test::LaunchersQuestionBox(), Move::Keys, {VK_RIGHT}, 1, VK_RETURN, IDNO},
        // Arrow keys go round the buttons only, never to the message.
        {"question box, Right twice then Enter",
         test::LaunchersQuestionBox(),
         Move::Keys,
         {VK_RIGHT, VK_RIGHT},
         0,
         VK_RETURN,
         IDYES},
        // A press on "No" released away from it moves the focus without a click.
        {"question box, press on No, release beside it, Enter",
         test::LaunchersQuestionBox(),
         Move::DragOffSecondButton,
         {},
         1,
         VK_RETURN,
         IDNO},
        {"question box, Escape", test::LaunchersQuestionBox(), Move::None, {}, 0, VK_ESCAPE, IDCANCEL},
        {"error box, Enter", test::LaunchersErrorBox(), Move::None, {}, 0, VK_RETURN, IDCLOSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::ToolBox box(c.box);
        ASSERT_NE(nullptr, box.Window());
        ASSERT_TRUE(driver::BringToForeground(box.Window())) << "the box did not become the foreground window";
        const std::vector<driver::Button> buttons = driver::Buttons(box.Window());
        if (c.move == Move::DragOffSecondButton) {
            ASSERT_EQ(2u, buttons.size());
            RECT second = {};
            ::GetWindowRect(buttons[1].window, &second);
            driver::DragMouse(ScreenCentre(second), POINT{second.right + 20, second.bottom + 5});
        }
        for (WORD key : c.keys)
            driver::TypeKeys({key});
        EXPECT_TRUE(WaitForFocusedDefault(box.Window(), c.focused))
            << "button " << c.focused << " should have the focus and look like the default button";
        driver::TypeKeys({c.last});
        EXPECT_EQ(c.result, box.Result());
    }
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!::OpenClipboard(nullptr))
        return text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* locked = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = locked;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    return text;
}

void EmptyTheClipboard()
{
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        ::CloseClipboard();
    }
}

TEST(Keyboard, CtrlCCopiesTheBoxInTheSystemsLayoutAndTheBoxStays)
{
    const std::wstring expected = L"---------------------------\r\n"
                                  L"Velto Backup\r\n"
                                  L"---------------------------\r\n"
                                  L"Read the release notes <http://127.0.0.1/notes?v=1&x=y> first.\r\n"
                                  L"Then go on.\r\n"
                                  L"---------------------------\r\n"
                                  L"Download   No   \r\n"
                                  L"---------------------------\r\n";
    for (WORD key : {WORD('C'), WORD(VK_INSERT)}) {
        SCOPED_TRACE(key == 'C' ? "Ctrl+C" : "Ctrl+Insert");
        test::ToolBox box({L"Velto Backup",
                           L"Read {hl}the release notes{hl=http://127.0.0.1/notes?v=1&x=y} first.\nThen go on.",
                           4,
                           {L"6=&Download", L"7"}});
        ASSERT_NE(nullptr, box.Window());
        ASSERT_TRUE(driver::BringToForeground(box.Window()));
        EmptyTheClipboard();
        driver::TypeChord(VK_CONTROL, key);
        std::wstring copied;
        for (int tries = 0; tries < 250 && copied.empty(); ++tries) {
            ::Sleep(20);
            copied = ClipboardText();
        }
        EXPECT_EQ(expected, copied);
        EXPECT_FALSE(box.Result(300)) << "the box closed";
        driver::TypeKeys({VK_ESCAPE});
        EXPECT_EQ(IDCANCEL, box.Result());
    }
}

} // namespace
