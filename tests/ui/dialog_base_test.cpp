// The dialog base: its font, its placement and the framework dialog under it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/thread_state.h"
#include "message/dialog_style.h"
#include "ui/skin_dialog.h"

namespace {

TEST(CenterOver, ShiftsArithmetically)
{
    const struct {
        RECT reference;
        int cx;
        int cy;
        POINT expected;
    } cases[] = {
        {{0, 0, 100, 100}, 101, 101, {-1, -1}},
        {{0, 0, 100, 100}, 99, 100, {0, 0}},
        {{0, 0, 100, 100}, 60, 40, {20, 30}},
        {{10, 20, 110, 220}, 60, 300, {30, -30}},
    };
    for (const auto& c : cases) {
        const POINT at = CenterOver(c.reference, c.cx, c.cy);
        EXPECT_EQ(c.expected.x, at.x) << "case " << (&c - cases);
        EXPECT_EQ(c.expected.y, at.y) << "case " << (&c - cases);
    }
}

TEST(PlaceInWorkArea, MovesOnlyWhatWouldLeaveTheWorkAreaAndCutsATallWindowToIt)
{
    const RECT screen = {0, 0, 1280, 1000};
    const struct {
        const char* name;
        RECT reference;
        SIZE size;
        RECT work;
        RECT expected;
    } cases[] = {
        {"fits: centred", screen, {300, 200}, screen, {490, 400, 790, 600}},
        {"over a window at the right edge", {1100, 100, 1500, 300}, {300, 100}, screen, {980, 150, 1280, 250}},
        {"over a window above the screen", {0, -300, 400, -100}, {200, 100}, screen, {100, 0, 300, 100}},
        {"taller than the work area", screen, {300, 1500}, screen, {490, 0, 790, 1000}},
        {"wider than the work area: left edge shows",
         {0, 0, 500, 400},
         {600, 100},
         {0, 0, 500, 400},
         {0, 150, 600, 250}},
        {"work area below a top panel",
         {1280, 0, 2560, 1024},
         {400, 1100},
         {1280, 40, 2560, 1024},
         {1720, 40, 2120, 1024}},
    };
    for (const auto& c : cases) {
        const RECT placed = PlaceInWorkArea(c.reference, c.size.cx, c.size.cy, c.work);
        EXPECT_EQ(c.expected.left, placed.left) << c.name;
        EXPECT_EQ(c.expected.top, placed.top) << c.name;
        EXPECT_EQ(c.expected.right, placed.right) << c.name;
        EXPECT_EQ(c.expected.bottom, placed.bottom) << c.name;
    }
}

// The message box's styles, so the probe gets its font as the message box does.
const DialogTemplate& ProbeTemplate()
{
    static const DialogTemplate probe(Message::kDialogStyle, Message::kDialogExStyle, 0, 0, 186, 90, L"",
                                      DialogTemplateFont{8, FW_NORMAL, FALSE, DEFAULT_CHARSET, L"MS Shell Dlg"});
    return probe;
}

LOGFONTW FontOf(HFONT font)
{
    LOGFONTW logFont = {};
    ::GetObjectW(font, sizeof(logFont), &logFont);
    return logFont;
}

constexpr UINT kEndWith = WM_APP + 1;

// Records what its fonts and placement did while it initialises, then ends
// through a posted message that its own map handles.
class ProbeDialog : public SkinDialog {
public:
    ProbeDialog() : SkinDialog(ProbeTemplate(), nullptr) {}
    void UpdateFont() override { ApplyFont(*this); }

    BOOL OnInitDialog() override
    {
        SkinDialog::OnInitDialog();
        templateFont = FontOf(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
        child = ::CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 10, 10, m_hWnd, nullptr, nullptr, nullptr);
        grandchild =
            ::CreateWindowExW(0, L"STATIC", L"grandchild", WS_CHILD, 0, 0, 5, 5, child, nullptr, nullptr, nullptr);

        UpdateFont();
        firstFont = GetFont();
        first = FontOf(GetFont());
        firstBold = FontOf(GetBoldFont());
        UpdateFont();
        second = FontOf(GetFont());
        firstFontAlive = ::GetObjectType(firstFont) != 0;
        childFont = reinterpret_cast<HFONT>(::SendMessageW(child, WM_GETFONT, 0, 0));
        grandchildFont = reinterpret_cast<HFONT>(::SendMessageW(grandchild, WM_GETFONT, 0, 0));
        late = ::CreateWindowExW(0, L"STATIC", L"late", WS_CHILD, 0, 0, 5, 5, m_hWnd, nullptr, nullptr, nullptr);
        lateFont = reinterpret_cast<HFONT>(::SendMessageW(late, WM_GETFONT, 0, 0));

        ResizeAndCenter(201, 101);
        GetWindowRect(&placed);
        ::PostMessageW(m_hWnd, kEndWith, 42, 0);
        return TRUE;
    }

    void OnEndWith(WPARAM result, LPARAM) { EndDialog(static_cast<int>(result)); }
    MESSAGE_MAP_MEMBERS();

    LOGFONTW templateFont = {}, first = {}, firstBold = {}, second = {};
    HFONT firstFont = nullptr, childFont = nullptr, grandchildFont = nullptr, lateFont = nullptr;
    bool firstFontAlive = true;
    HWND child = nullptr, grandchild = nullptr, late = nullptr;
    RECT placed = {};
};

DEFINE_MESSAGE_MAP(ProbeDialog, SkinDialog, MessageEntry<&ProbeDialog::OnEndWith>(kEndWith));

TEST(SkinDialog, GivesTheDialogTahomaAtTheTemplatesHeightAndCentresIt)
{
    ProbeDialog dialog;
    EXPECT_EQ(nullptr, dialog.GetFont()); // nothing is made before the window exists
    EXPECT_EQ(42, dialog.DoModal());

    EXPECT_STREQ(L"Tahoma", dialog.first.lfFaceName);
    EXPECT_EQ(dialog.templateFont.lfHeight, dialog.first.lfHeight);
    EXPECT_NE(0, dialog.first.lfHeight);
    EXPECT_EQ(FW_NORMAL, dialog.first.lfWeight);
    EXPECT_STREQ(L"Tahoma", dialog.firstBold.lfFaceName);
    EXPECT_EQ(dialog.first.lfHeight, dialog.firstBold.lfHeight);
    EXPECT_EQ(FW_BOLD, dialog.firstBold.lfWeight);

    // A second run reads the font the first one set, and replaces it.
    EXPECT_STREQ(L"Tahoma", dialog.second.lfFaceName);
    EXPECT_EQ(dialog.first.lfHeight, dialog.second.lfHeight);
    EXPECT_EQ(dialog.first.lfWeight, dialog.second.lfWeight);
    EXPECT_FALSE(dialog.firstFontAlive);

    // Direct children get the font; their children and later ones do not.
    EXPECT_EQ(dialog.GetFont(), dialog.childFont);
    EXPECT_NE(dialog.GetFont(), dialog.grandchildFont);
    EXPECT_NE(dialog.GetFont(), dialog.lateFont);

    // With no application object, over the desktop.
    RECT desktop = {};
    ::GetWindowRect(::GetDesktopWindow(), &desktop);
    EXPECT_EQ(201, dialog.placed.right - dialog.placed.left);
    EXPECT_EQ(101, dialog.placed.bottom - dialog.placed.top);
    EXPECT_EQ(CenterOver(desktop, 201, 101).x, dialog.placed.left);
    EXPECT_EQ(CenterOver(desktop, 201, 101).y, dialog.placed.top);

    // The modal loop left the message that ended it in the thread state.
    EXPECT_EQ(kEndWith, AfxGetThreadState().m_msgCur.message);
    EXPECT_EQ(42u, AfxGetThreadState().m_msgCur.wParam);

    // The fonts outlive the window, until the dialog object goes.
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
    EXPECT_NE(0, ::GetObjectType(dialog.GetFont()));
    EXPECT_STREQ("SkinDialog", dialog.GetRuntimeClass()->m_lpszClassName);
}

TEST(SkinDialog, ADialogThatEndsWhileInitialisingNeverRunsItsLoop)
{
    class Quick : public SkinDialog {
    public:
        Quick() : SkinDialog(ProbeTemplate(), nullptr) {}
        void UpdateFont() override { ApplyFont(*this); }
        BOOL OnInitDialog() override
        {
            EndDialog(7);
            return TRUE;
        }
    } quick;
    AfxGetThreadState().m_msgCur = MSG{};
    EXPECT_EQ(7, quick.DoModal());
    EXPECT_EQ(0u, AfxGetThreadState().m_msgCur.message);
    EXPECT_EQ(nullptr, quick.GetFont());
}

TEST(SkinDialog, AQuitMessageEndsTheLoopAndIsPassedOn)
{
    class Quitting : public SkinDialog {
    public:
        Quitting() : SkinDialog(ProbeTemplate(), nullptr) {}
        void UpdateFont() override { ApplyFont(*this); }
        BOOL OnInitDialog() override
        {
            ::PostQuitMessage(3);
            return TRUE;
        }
    } quitting;
    EXPECT_EQ(-1, quitting.DoModal());
    MSG quit = {};
    ASSERT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(3u, quit.wParam);
}

} // namespace

namespace {

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found)
{
    wchar_t className[16] = {};
    ::GetClassNameW(window, className, 16);
    if (!::IsWindowVisible(window) || lstrcmpW(className, L"#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND WaitForVisibleDialog(DWORD threadId)
{
    for (int tries = 0; tries < 500; ++tries) {
        HWND found = nullptr;
        ::EnumThreadWindows(threadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
        if (found)
            return found;
        ::Sleep(10);
    }
    return nullptr;
}

TEST(SkinDialog, TheLoopEndsWhenItsDialogIsDestroyedWithItsOwner)
{
    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, owner);
    CWnd ownerWindow(owner);
    class Owned : public SkinDialog {
    public:
        explicit Owned(CWnd* parent) : SkinDialog(ProbeTemplate(), parent) {}
        void UpdateFont() override { ApplyFont(*this); }
    } dialog(&ownerWindow);

    // From another thread, as another part of the program would: the owner
    // is closed (its own thread destroys it, and the dialog with it). If the
    // loop waited on, it is ended with WM_QUIT after a while, and that shows.
    const DWORD thread = ::GetCurrentThreadId();
    std::atomic<bool> returned{false};
    bool shown = false;
    bool rescued = false;
    std::thread outside([&] {
        shown = WaitForVisibleDialog(thread) != nullptr;
        ::SendMessageW(owner, WM_CLOSE, 0, 0);
        for (int tries = 0; tries < 500 && !returned; ++tries)
            ::Sleep(10);
        if (!returned) {
            rescued = true;
            ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
        }
    });
    const INT_PTR result = dialog.DoModal();
    returned = true;
    outside.join();
    MSG quit = {};
    ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);

    EXPECT_TRUE(shown);
    EXPECT_FALSE(rescued) << "the loop went on waiting after its dialog was destroyed";
    EXPECT_EQ(-1, result);
    EXPECT_FALSE(::IsWindow(owner));
    EXPECT_EQ(nullptr, dialog.GetSafeHwnd());
}

} // namespace
