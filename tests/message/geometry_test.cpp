// The message dialog's size and placement arithmetic, and its button labels.
#include <gtest/gtest.h>

#include <vector>

#include "message/dialog_geometry.h"
#include "message/message_box.h"

namespace {

TEST(DialogGeometry, PlacesIconAndTextAndSizesTheWindow)
{
    // A frame of 6 by 29 pixels around a 294 x 171 client area.
    const RECT client = {0, 0, 294, 171};
    const RECT window = {100, 50, 400, 250};
    const struct {
        SIZE icon;
        SIZE text;
        int buttonHeight;
        POINT iconPos;
        RECT textRect;
        SIZE windowSize;
    } cases[] = {
        // One line beside a 32-pixel icon: the text is centred against it.
        {{32, 32}, {200, 13}, 23, {12, 12}, {56, 21, 256, 34}, {6 + 12 + 44 + 200 + 12, 29 + 12 + 32 + 12 + 23 + 12}},
        // Text taller than the icon: the icon is centred against the text.
        {{32, 32}, {100, 61}, 23, {12, 26}, {56, 12, 156, 73}, {6 + 12 + 44 + 100 + 12, 29 + 12 + 61 + 12 + 23 + 12}},
        // No icon, no buttons.
        {{0, 0}, {526, 13}, 0, {12, 18}, {12, 12, 538, 25}, {6 + 12 + 526 + 12, 29 + 12 + 13 + 12}},
    };
    for (const auto& c : cases) {
        const Message::DialogGeometry g =
            Message::ComputeDialogGeometry(client, window, c.icon, c.text, c.buttonHeight);
        const int i = static_cast<int>(&c - cases);
        EXPECT_EQ(c.iconPos.x, g.iconPos.x) << i;
        EXPECT_EQ(c.iconPos.y, g.iconPos.y) << i;
        EXPECT_EQ(c.textRect.left, g.textRect.left) << i;
        EXPECT_EQ(c.textRect.top, g.textRect.top) << i;
        EXPECT_EQ(c.textRect.right, g.textRect.right) << i;
        EXPECT_EQ(c.textRect.bottom, g.textRect.bottom) << i;
        EXPECT_EQ(c.windowSize.cx, g.windowSize.cx) << i;
        EXPECT_EQ(c.windowSize.cy, g.windowSize.cy) << i;
    }
    EXPECT_EQ(526, Message::MaxTextWidth(0));
    EXPECT_EQ(526 - 44, Message::MaxTextWidth(32));
    EXPECT_EQ(12 + 32 + 12, Message::ButtonRowTop(POINT{12, 12}, 32, RECT{56, 21, 256, 34}));
    EXPECT_EQ(73 + 12, Message::ButtonRowTop(POINT{12, 26}, 32, RECT{56, 12, 156, 73}));
}

TEST(DialogGeometry, CentresTheButtonRowAndWidensShortButtonsWhenThereIsRoom)
{
    const struct {
        int clientWidth;
        std::vector<SIZE> natural;
        std::vector<LONG> lefts;
        std::vector<LONG> widths;
    } cases[] = {
        {300, {{40, 23}, {33, 23}}, {59, 156}, {85, 85}},
        {183, {{40, 23}, {33, 23}}, {0, 97}, {85, 85}},
        {182, {{40, 23}, {33, 23}}, {48, 100}, {40, 33}}, // widened row 182 is not narrower
        {300, {{120, 23}, {33, 23}}, {41, 173}, {120, 85}},
        {100, {{80, 23}, {81, 23}}, {-36, 56}, {80, 81}}, // overflows both edges; division truncates
        {300, {{60, 23}}, {107}, {85}},
    };
    for (const auto& c : cases) {
        const std::vector<RECT> placed = Message::ArrangeButtons(RECT{0, 0, c.clientWidth, 200}, 50, c.natural);
        ASSERT_EQ(c.natural.size(), placed.size());
        for (size_t i = 0; i < placed.size(); ++i) {
            EXPECT_EQ(c.lefts[i], placed[i].left) << "case " << (&c - cases) << " button " << i;
            EXPECT_EQ(c.widths[i], placed[i].right - placed[i].left) << "case " << (&c - cases) << " button " << i;
            EXPECT_EQ(50, placed[i].top);
            EXPECT_EQ(73, placed[i].bottom);
        }
    }
    EXPECT_TRUE(Message::ArrangeButtons(RECT{0, 0, 300, 200}, 50, {}).empty());
    // The row height is the tallest button's, for every button.
    const std::vector<RECT> mixed = Message::ArrangeButtons(RECT{10, 0, 310, 200}, 0, {{40, 20}, {40, 30}});
    EXPECT_EQ(30, mixed[0].bottom);
    EXPECT_EQ(10 + 59, mixed[0].left);
}

TEST(StandardButtons, TakeTheirLabelsFromTheCatalogue)
{
    const struct {
        int id;
        const wchar_t* label;
    } cases[] = {{IDOK, L"&OK"},
                 {IDCANCEL, L"&Cancel"},
                 {IDYES, L"Yes"},
                 {IDNO, L"No"},
                 {IDCLOSE, L"Close"},
                 {3, L""},
                 {5, L""},
                 {11, L""},
                 {0, L""}};
    for (const auto& c : cases)
        EXPECT_EQ(CString(c.label), Message::StandardButtonLabel(c.id)) << c.id;

    Message::ButtonSpecs buttons;
    Message::AddButton(Message::AddStandardButton(buttons, IDYES), Message::ButtonSpec{L"&Later", 20});
    ASSERT_EQ(2u, buttons.size());
    EXPECT_EQ(CString(L"Yes"), buttons[0].label);
    EXPECT_EQ(IDYES, buttons[0].id);
    EXPECT_EQ(CString(L"&Later"), buttons[1].label);
    EXPECT_EQ(20, buttons[1].id);
}

TEST(MessageDialog, CarriesItsRunTimeClassChain)
{
    Message::Dialog dialog(L"", L"", Message::Type(0), {}, nullptr);
    const CRuntimeClass* runtime = dialog.GetRuntimeClass();
    ASSERT_STREQ("Dialog", runtime->m_lpszClassName);
    ASSERT_STREQ("SkinDialog", runtime->m_pBaseClass->m_lpszClassName);
    EXPECT_STREQ("CDialog", runtime->m_pBaseClass->m_pBaseClass->m_lpszClassName);
    EXPECT_TRUE(runtime->IsDerivedFrom(&CWnd::classCWnd));
}

} // namespace
