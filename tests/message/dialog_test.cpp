// The real message dialog under Wine, driven from a second thread.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

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
    const int result =
        test::RunDriven([] { return Message::Show(IDCLOSE, L"Velto", L"The check failed.", Message::Error); },
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

// Colours as the screen shows them: ink is nearer the text colour than the
// dialog's background, also where the font is smoothed.
int ColourDistance(COLORREF a, COLORREF b)
{
    return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
           std::abs(GetBValue(a) - GetBValue(b));
}

class Colours {
public:
    explicit Colours(const test::ClientPicture& picture) : m_picture(picture) {}
    bool Ink(int x, int y) const
    {
        const COLORREF pixel = m_picture.At(x, y);
        return pixel != CLR_INVALID && ColourDistance(pixel, m_text) < ColourDistance(pixel, m_background);
    }
    bool Background(int x, int y) const { return m_picture.At(x, y) == m_background; }
    // How many pixels of row y, from left to right (exclusive), are ink; are background.
    int InkInRow(int y, int left, int right) const { return Count(y, left, right, &Colours::Ink); }
    int BackgroundInRow(int y, int left, int right) const { return Count(y, left, right, &Colours::Background); }
    int BackgroundInColumn(int x, int top, int bottom) const
    {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            count += Background(x, y);
        return count;
    }

private:
    int Count(int y, int left, int right, bool (Colours::*test)(int, int) const) const
    {
        int count = 0;
        for (int x = left; x < right; ++x)
            count += (this->*test)(x, y);
        return count;
    }

    const test::ClientPicture& m_picture;
    const COLORREF m_text = ::GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF m_background = ::GetSysColor(COLOR_3DFACE); // the dialog's and a button's face
};

struct ShownPart {
    std::wstring text;
    RECT rect; // client coordinates
};

// Where the layout put each part of `line`, in the dialog's client coordinates.
void AddParts(const Message::PlainText& line, const RECT& textRect, std::vector<ShownPart>& parts)
{
    for (const auto& word : line.m_words)
        for (const auto& part : word->m_parts) {
            ShownPart shown{part->m_text, part->m_rect};
            ::OffsetRect(&shown.rect, textRect.left, textRect.top);
            parts.push_back(shown);
        }
}

// What the screen shows is where the layout put it: the icon, the link
// underlined from its first pixel to its last and the plain text beside it
// not underlined, each button's frame on its window rectangle with the label
// centred on its face, and nothing between the message and the buttons.
TEST(MessageShow, QuestionWithALinkAndTwoButtonsShowsEachWhereTheLayoutPutIt)
{
    const std::wstring folder = test::WindowsPath(ARTIFACTS_DIR);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring png = folder + L"\\question-box.png";
    ::DeleteFileW(png.c_str());

    Message::ButtonSpecs buttons = {{L"Download", IDYES}};
    Message::AddStandardButton(buttons, IDNO);
    Message::Dialog dialog(L"Velto Backup",
                           L"A new version of Velto Backup is available: 2.0.0.1.\n"
                           L"See {hl}what is new{hl=http://127.0.0.1/whatsnew} or download it now.",
                           Message::Question, buttons, nullptr);
    std::optional<test::ClientPicture> picture;
    bool saved = false;
    DialogInfo info;
    RECT textRect = {};
    POINT iconPos = {};
    std::vector<ShownPart> link, plain;
    const int result = RunDialog(dialog, [&](HWND hwnd) {
        ::Sleep(500); // let it paint
        info = test::ReadDialog(hwnd);
        textRect = dialog.TextRect();
        iconPos = dialog.IconPos();
        for (const auto& element : dialog.GetElements()) {
            if (auto hyperLink = dynamic_cast<const Message::HyperLink*>(element.get()))
                AddParts(*hyperLink, textRect, link);
            else if (auto line = dynamic_cast<const Message::PlainText*>(element.get()))
                AddParts(*line, textRect, plain);
        }
        picture.emplace(hwnd);
        saved = picture->SavePng(png); // for a person to look at
        if (!info.buttons.empty())
            test::Press(info.buttons[0].window);
    });
    EXPECT_EQ(IDYES, result);
    EXPECT_TRUE(saved) << "screenshot " << test::ToUtf8(png);
    ASSERT_TRUE(picture);
    ASSERT_EQ(info.client.right, picture->Width());
    ASSERT_EQ(info.client.bottom, picture->Height());
    const Colours shown(*picture);

    // The question icon, 32 x 32 at its place.
    int iconInk = 0;
    for (int y = iconPos.y; y < iconPos.y + kIcon; ++y)
        iconInk += kIcon - shown.BackgroundInRow(y, iconPos.x, iconPos.x + kIcon);
    EXPECT_GT(iconInk, kIcon * kIcon / 4) << "the icon at " << iconPos.x << "," << iconPos.y;

    // The link: one line, one row of ink right across it (the underline)
    // that ends where the link does.
    ASSERT_FALSE(link.empty());
    const RECT first = link.front().rect;
    const RECT last = link.back().rect;
    ASSERT_EQ(first.top, last.top) << "the link fits on one line";
    int underline = -1;
    for (int y = first.top; y < first.bottom && underline < 0; ++y)
        if (shown.InkInRow(y, first.left, last.right) == last.right - first.left)
            underline = y;
    ASSERT_GE(underline, 0) << "no underline across the link at " << first.left << ".." << last.right << ", "
                            << first.top << ".." << first.bottom;
    EXPECT_FALSE(shown.Ink(first.left - 2, underline)) << "the underline starts before the link";
    EXPECT_FALSE(shown.Ink(last.right + 1, underline)) << "the underline runs on after the link";

    // The plain text on the link's line is drawn, and not underlined.
    int besideLink = 0;
    for (const ShownPart& part : plain) {
        if (part.rect.top != first.top || part.text.find_first_not_of(L' ') == std::wstring::npos)
            continue;
        ++besideLink;
        const RECT& r = part.rect;
        int ink = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            const int inRow = shown.InkInRow(y, r.left, r.right);
            EXPECT_LT(inRow, (r.right - r.left) * 9 / 10) << test::ToUtf8(part.text) << " underlined at row " << y;
            ink += inRow;
        }
        EXPECT_GT(ink, 0) << test::ToUtf8(part.text) << " is not drawn";
    }
    EXPECT_EQ(5, besideLink) << "See, or, download, it, now.";

    // Each button: its frame on the edges of its window rectangle, nothing
    // drawn just outside them, its face inside and its label centred on it.
    ASSERT_EQ(2u, info.buttons.size());
    for (const test::ButtonInfo& button : info.buttons) {
        SCOPED_TRACE(test::ToUtf8(button.text));
        const RECT& r = button.rect;
        const int width = r.right - r.left;
        const int height = r.bottom - r.top;
        EXPECT_LT(shown.BackgroundInRow(r.top, r.left, r.right), width / 5) << "top edge";
        EXPECT_LT(shown.BackgroundInRow(r.bottom - 1, r.left, r.right), width / 5) << "bottom edge";
        EXPECT_LT(shown.BackgroundInColumn(r.left, r.top, r.bottom), height / 5) << "left edge";
        EXPECT_LT(shown.BackgroundInColumn(r.right - 1, r.top, r.bottom), height / 5) << "right edge";
        EXPECT_EQ(width, shown.BackgroundInRow(r.top - 1, r.left, r.right)) << "above";
        EXPECT_EQ(width, shown.BackgroundInRow(r.bottom, r.left, r.right)) << "below";
        EXPECT_EQ(height, shown.BackgroundInColumn(r.left - 1, r.top, r.bottom)) << "left";
        EXPECT_EQ(height, shown.BackgroundInColumn(r.right, r.top, r.bottom)) << "right";
        // Inside the focus rectangle, which lies a few pixels in from the frame.
        const int inset = 5;
        EXPECT_TRUE(shown.Background(r.left + inset, (r.top + r.bottom) / 2)) << "face";
        int inkLeft = r.right, inkRight = r.left;
        for (int y = r.top + inset; y < r.bottom - inset; ++y)
            for (int x = r.left + inset; x < r.right - inset; ++x)
                if (shown.Ink(x, y)) {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x + 1);
                }
        ASSERT_LT(inkLeft, inkRight) << "no label";
        // Within 3 pixels of the middle: glyphs' side bearings differ.
        EXPECT_LE(std::abs((inkLeft + inkRight) - (r.left + r.right)), 6)
            << "label at " << inkLeft << ".." << inkRight << " in " << r.left << ".." << r.right;
    }

    // Between the message (or the icon, whichever reaches lower) and the
    // buttons the dialog shows its background only.
    for (int y = std::max<LONG>(textRect.bottom, iconPos.y + kIcon); y < info.buttons[0].rect.top; ++y)
        EXPECT_EQ(picture->Width(), shown.BackgroundInRow(y, 0, picture->Width())) << "row " << y;
}

} // namespace
