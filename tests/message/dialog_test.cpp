// The real message dialog under Wine, driven from a second thread.
#include <gtest/gtest.h>

#include <objbase.h>

#include <string>

#include "message/message_box.h"
#include "tests/message/dialog_driver.h"
#include "tests/support/files.h"
#include "tests/support/process.h"
#include "tests/support/shell_log.h"

namespace {

using test::DialogInfo;

constexpr int kIcon = 32; // system icons under Wine

int RunDialog(Message::Dialog& dialog, const std::function<void(HWND)>& drive, bool* leftOpen = nullptr)
{
    return test::RunDriven([&] { return static_cast<int>(dialog.DoModal()); }, drive, leftOpen);
}

TEST(MessageShow, StandardCloseButtonReturnsItsIdentifier)
{
    DialogInfo info;
    const int result = test::RunDriven(
        [] { return Message::Show(IDCLOSE, L"Velto", L"The check failed.", Message::Error); },
        [&](HWND dialog) {
            info = test::ReadDialog(dialog);
            if (info.buttons.size() == 1)
                test::Press(info.buttons[0].window);
        });
    EXPECT_EQ(IDCLOSE, result);
    EXPECT_EQ(L"Velto", info.caption);
    ASSERT_EQ(1u, info.buttons.size());
    EXPECT_EQ(L"Close", info.buttons[0].text);
    EXPECT_EQ(IDCLOSE, info.buttons[0].id);
    // The template's style (the system adds visibility, sibling clipping and
    // the 3-D look) and topmost extended style.
    EXPECT_EQ(Message::kDialogStyle, info.style & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS | DS_3DLOOK));
    EXPECT_EQ(Message::kDialogExStyle, info.exStyle & Message::kDialogExStyle);
}

TEST(MessageShow, YesAndNoAre85WideAndCentredWhenTheRowHasRoom)
{
    const struct {
        const wchar_t* text;
        bool widened;
    } cases[] = {
        {L"A newer build of the program is available for download now.", true},
        {L"Hi", false},
    };
    for (const auto& c : cases) {
        Message::ButtonSpecs buttons;
        Message::AddStandardButton(Message::AddStandardButton(buttons, IDYES), IDNO);
        DialogInfo info;
        const int result = test::RunDriven([&] { return Message::Show(L"", c.text, Message::Question, buttons); },
                                           [&](HWND dialog) {
                                               info = test::ReadDialog(dialog);
                                               if (info.buttons.size() == 2)
                                                   test::Press(info.buttons[1].window);
                                           });
        EXPECT_EQ(IDNO, result);
        ASSERT_EQ(2u, info.buttons.size());
        const RECT& yes = info.buttons[0].rect;
        const RECT& no = info.buttons[1].rect;
        EXPECT_EQ(L"Yes", info.buttons[0].text);
        EXPECT_EQ(L"No", info.buttons[1].text);
        EXPECT_EQ(12, no.left - yes.right);
        EXPECT_EQ(yes.top, no.top);
        const int left = yes.left - info.client.left;
        const int right = info.client.right - no.right;
        EXPECT_LE(std::abs(left - right), 1) << left << " " << right;
        if (c.widened) {
            EXPECT_GT(info.client.right, 182);
            EXPECT_EQ(85, yes.right - yes.left);
            EXPECT_EQ(85, no.right - no.left);
        } else {
            EXPECT_LE(info.client.right, 182);
            EXPECT_LT(yes.right - yes.left, 85);
            EXPECT_LT(no.right - no.left, 85);
        }
    }
}

TEST(MessageShow, WithoutButtonsEndsByKeyboardOnly)
{
    const struct {
        UINT key;
        int result;
    } cases[] = {{VK_ESCAPE, IDCANCEL}, {VK_RETURN, IDOK}};
    for (const auto& c : cases) {
        Message::Dialog dialog(L"", L"Nothing to press.", Message::Information, {}, nullptr);
        DialogInfo info;
        RECT textRect = {};
        const int result = RunDialog(dialog, [&](HWND hwnd) {
            info = test::ReadDialog(hwnd);
            textRect = dialog.TextRect();
            test::PostKey(hwnd, c.key);
        });
        EXPECT_EQ(c.result, result);
        EXPECT_TRUE(info.buttons.empty());
        // No button row: the client area ends 12 below the icon or text.
        EXPECT_EQ(std::max<LONG>(textRect.bottom, 12 + kIcon) + 12, info.client.bottom);
    }
}

TEST(MessageShow, TabAndEnterPressTheNextButtonAndTheCloseBoxCancels)
{
    Message::ButtonSpecs buttons = {{L"&First", 6}, {L"&Second", 7}};
    HWND focused = nullptr;
    int result = test::RunDriven([&] { return Message::Show(L"", L"Which?", Message::Question, buttons); },
                                 [&](HWND dialog) {
                                     const DWORD thread = ::GetWindowThreadProcessId(dialog, nullptr);
                                     GUITHREADINFO gui = {};
                                     gui.cbSize = sizeof(gui);
                                     ::GetGUIThreadInfo(thread, &gui);
                                     test::PostKey(gui.hwndFocus ? gui.hwndFocus : dialog, VK_TAB);
                                     ::Sleep(200);
                                     ::GetGUIThreadInfo(thread, &gui);
                                     focused = gui.hwndFocus;
                                     test::PostKey(gui.hwndFocus ? gui.hwndFocus : dialog, VK_RETURN);
                                 });
    EXPECT_EQ(7, result);
    EXPECT_NE(nullptr, focused);

    result = test::RunDriven([&] { return Message::Show(L"", L"Which?", Message::Question, buttons); },
                             [&](HWND dialog) { ::PostMessageW(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(IDCANCEL, result);
}

TEST(MessageShow, IdentifiersFrom1To11EndTheDialogAndOthersDoNot)
{
    for (int id = 3; id <= 11; ++id) {
        Message::ButtonSpecs buttons;
        Message::AddStandardButton(buttons, id);
        bool leftOpen = false;
        const int result = test::RunDriven([&] { return Message::Show(L"", L"Press it.", Message::Warning, buttons); },
                                           [&](HWND dialog) {
                                               const DialogInfo info = test::ReadDialog(dialog);
                                               if (!info.buttons.empty())
                                                   test::Press(info.buttons[0].window);
                                           },
                                           &leftOpen);
        EXPECT_EQ(id, result);
        EXPECT_FALSE(leftOpen) << id;
    }

    Message::ButtonSpecs buttons = {{L"Twelve", 12}, {L"Cancel", IDCANCEL}};
    bool stayed = false;
    const int result = test::RunDriven([&] { return Message::Show(L"", L"Press it.", Message::Warning, buttons); },
                                       [&](HWND dialog) {
                                           const DialogInfo info = test::ReadDialog(dialog);
                                           if (info.buttons.size() != 2)
                                               return;
                                           test::Press(info.buttons[0].window);
                                           stayed = !test::WaitUntilGone(dialog, 500);
                                           test::Press(info.buttons[1].window);
                                       });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(IDCANCEL, result);
}

TEST(MessageShow, PlacesTheIconBesideAOneLineText)
{
    Message::ButtonSpecs buttons;
    Message::AddStandardButton(buttons, IDOK);
    Message::Dialog dialog(L"", L"One line of text.", Message::Question, buttons, nullptr);
    DialogInfo info;
    RECT textRect = {};
    POINT iconPos = {};
    RunDialog(dialog, [&](HWND hwnd) {
        info = test::ReadDialog(hwnd);
        textRect = dialog.TextRect();
        iconPos = dialog.IconPos();
        test::PostKey(hwnd, VK_ESCAPE);
    });
    const LONG textHeight = textRect.bottom - textRect.top;
    EXPECT_EQ(12, iconPos.x);
    EXPECT_EQ(12, iconPos.y);
    EXPECT_LT(textHeight, kIcon);
    EXPECT_EQ(12 + ((kIcon - textHeight) >> 1), textRect.top);
    EXPECT_EQ(12 + kIcon + 12, textRect.left);
    EXPECT_EQ(textRect.right + 12, info.client.right);
    ASSERT_EQ(1u, info.buttons.size());
    EXPECT_EQ(12 + kIcon + 12, info.buttons[0].rect.top);
    EXPECT_EQ(info.buttons[0].rect.bottom + 12, info.client.bottom);
}

TEST(MessageShow, WithoutAnIconTheTextStarts12FromTheEdgeAndWrapsAt526)
{
    std::wstring text;
    for (int i = 0; i < 40; ++i)
        text += L"wrapping ";
    Message::Dialog dialog(L"", text.c_str(), Message::Type(0), {}, nullptr);
    DialogInfo info;
    RECT textRect = {};
    RunDialog(dialog, [&](HWND hwnd) {
        info = test::ReadDialog(hwnd);
        textRect = dialog.TextRect();
        test::PostKey(hwnd, VK_ESCAPE);
    });
    EXPECT_EQ(12, textRect.left);
    EXPECT_EQ(12, textRect.top);
    EXPECT_LE(textRect.right - textRect.left, 526);
    EXPECT_GT(textRect.right - textRect.left, 480);
    EXPECT_EQ(textRect.right + 12, info.client.right);
    EXPECT_EQ(textRect.bottom + 12, info.client.bottom);
}

bool Inside(const RECT& outer, const RECT& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

TEST(MessageShow, ATextTallerThanTheScreenKeepsTheBoxAndItsButtonsInTheWorkArea)
{
    std::wstring text;
    for (int line = 1; line <= 150; ++line)
        text += L"Line " + std::to_wstring(line) + L" of a long report.\n";
    Message::ButtonSpecs buttons;
    Message::AddStandardButton(Message::AddStandardButton(buttons, IDOK), IDCANCEL);
    Message::Dialog dialog(L"Report", text.c_str(), Message::Information, buttons, nullptr);
    RECT work = {};
    RECT box = {};
    std::vector<RECT> buttonRects;
    RECT shownText = {};
    RECT textRect = {};
    POINT iconPos = {};
    LONG firstButtonTop = 0;
    const int result = RunDialog(dialog, [&](HWND hwnd) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
        work = monitor.rcWork;
        ::GetWindowRect(hwnd, &box);
        textRect = dialog.TextRect();
        iconPos = dialog.IconPos();
        const DialogInfo info = test::ReadDialog(hwnd);
        firstButtonTop = info.buttons.empty() ? 0 : info.buttons[0].rect.top;
        for (const auto& button : info.buttons) {
            RECT screen = {};
            ::GetWindowRect(button.window, &screen);
            buttonRects.push_back(screen);
        }
        // The message's static control covers the text that shows.
        if (HWND reader = ::GetWindow(hwnd, GW_CHILD))
            ::GetWindowRect(reader, &shownText);
        if (!info.buttons.empty())
            test::Press(info.buttons[0].window);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_GT(textRect.bottom - textRect.top, work.bottom - work.top) << "the text is not taller than the screen";
    EXPECT_TRUE(Inside(work, box));
    EXPECT_EQ(work.top, box.top);
    EXPECT_EQ(work.bottom, box.bottom);
    ASSERT_EQ(2u, buttonRects.size());
    for (const RECT& button : buttonRects)
        EXPECT_TRUE(Inside(work, button));
    // The text shows down to 12 pixels above the buttons, the icon beside it.
    EXPECT_EQ(buttonRects[0].top - 12, shownText.bottom);
    EXPECT_LE(iconPos.y + kIcon + 12, firstButtonTop);
}

TEST(MessageShow, AClickOnALinkOpensItsTargetAndBesideItNothing)
{
    test::ClearShellLog();
    ::CoInitialize(nullptr);

    Message::Dialog dialog(L"", L"Read {hl}the release notes{hl=http://127.0.0.1/notes?v=1.2&x=y} first.\nThen go on.",
                           Message::Information, {{L"OK", IDOK}}, nullptr);
    std::vector<std::wstring> beside, opened;
    RunDialog(dialog, [&](HWND hwnd) {
        const RECT text = dialog.TextRect();
        const Message::HyperLink* link = nullptr;
        for (const auto& element : dialog.GetElements())
            if (!link)
                link = dynamic_cast<const Message::HyperLink*>(element.get());
        if (!link || link->m_words.empty()) {
            test::PostKey(hwnd, VK_ESCAPE);
            return;
        }
        const RECT first = link->m_words.front()->m_parts.front()->m_rect;
        // Below the link, in the second line's plain text: nothing opens.
        test::PostClick(hwnd, POINT{text.left + first.left + 2, text.top + first.bottom + 3});
        // Left of the text, over the icon: nothing opens.
        test::PostClick(hwnd, POINT{20, 20});
        beside = test::WaitForShellLog(0, 1500);
        test::PostClick(hwnd, POINT{text.left + first.left + 2, text.top + first.top + 2});
        opened = test::WaitForShellLog(1, 10000);
        test::PostKey(hwnd, VK_ESCAPE);
    });
    ::CoUninitialize();
    EXPECT_EQ(std::vector<std::wstring>{}, beside);
    EXPECT_EQ(std::vector<std::wstring>{L"http://127.0.0.1/notes?v=1.2&x=y"}, opened)
        << "scripts/common.sh start_wine points Wine's browser at tools/shell_recorder.sh";
}

TEST(MessageShow, QuestionWithALinkAndTwoButtonsLooksRight)
{
    const std::wstring folder = test::WindowsPath(ARTIFACTS_DIR);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring png = folder + L"\\question-box.png";
    ::DeleteFileW(png.c_str());

    Message::ButtonSpecs buttons = {{L"Download", IDYES}};
    Message::AddStandardButton(buttons, IDNO);
    bool saved = false;
    const int result = test::RunDriven(
        [&] {
            return Message::Show(L"Velto Backup",
                                 L"A new version of Velto Backup is available: 2.0.0.1.\n"
                                 L"See {hl}what is new{hl=http://127.0.0.1/whatsnew} or download it now.",
                                 Message::Question, buttons);
        },
        [&](HWND dialog) {
            ::Sleep(500); // let it paint
            saved = test::SaveWindowPng(dialog, png);
            const DialogInfo info = test::ReadDialog(dialog);
            if (!info.buttons.empty())
                test::Press(info.buttons[0].window);
        });
    EXPECT_EQ(IDYES, result);
    EXPECT_TRUE(saved) << "screenshot " << test::ToUtf8(png);
}

} // namespace
