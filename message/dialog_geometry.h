#pragma once
// The arithmetic that sizes the message dialog and places its icon, text
// and button row, in pixels.
#include <windows.h>

#include <vector>

namespace Message {

constexpr int kMargin = 12;         // around and between icon, text and button row
constexpr int kLineAllowance = 526; // a text line including the icon allowance
constexpr int kButtonExtraWidth = 14;
constexpr int kButtonExtraHeight = 10;
constexpr int kWideButtonWidth = 85; // short buttons grow to this when the row has room

// The icon's width plus a margin, or 0 without an icon.
int IconAllowance(int iconWidth);
// The width a text line may take beside an icon of that width.
int MaxTextWidth(int iconWidth);

struct DialogGeometry {
    RECT textRect;   // client coordinates
    POINT iconPos;   // client coordinates
    SIZE windowSize; // outer size of the dialog
};

// From the dialog's client and window rectangles before resizing, the icon
// and text sizes, and the height of the first button (0 without buttons).
DialogGeometry ComputeDialogGeometry(const RECT& client, const RECT& window, SIZE icon, SIZE text,
                                     int firstButtonHeight);

// The top of the button row: below the lower of icon and text.
int ButtonRowTop(POINT iconPos, int iconHeight, const RECT& textRect);

// The top of a row of buttons of these sizes: `naturalTop`, or higher when
// the client area was cut short (to the screen) and the row would not fit.
int FitButtonRow(int naturalTop, const std::vector<SIZE>& natural, const RECT& client);

// The buttons' rectangles in list order, centred in the client area; short
// buttons are widened to 85 when the widened row fits inside it.
std::vector<RECT> ArrangeButtons(const RECT& client, int top, const std::vector<SIZE>& natural);

} // namespace Message
