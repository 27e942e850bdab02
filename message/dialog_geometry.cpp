#include "message/dialog_geometry.h"

#include <algorithm>

namespace Message {

int IconAllowance(int iconWidth)
{
    return iconWidth >= 1 ? iconWidth + kMargin : 0;
}

int MaxTextWidth(int iconWidth)
{
    return kLineAllowance - IconAllowance(iconWidth);
}

DialogGeometry ComputeDialogGeometry(const RECT& client, const RECT& window, SIZE icon, SIZE text,
                                     int firstButtonHeight)
{
    const int allowance = IconAllowance(icon.cx);
    DialogGeometry g;
    g.textRect = client;
    g.iconPos.x = kMargin;
    // Arithmetic shifts centre the shorter of icon and text against the other.
    if (text.cy > icon.cy) {
        g.iconPos.y = kMargin + ((text.cy - icon.cy) >> 1);
    } else {
        g.iconPos.y = kMargin;
        g.textRect.top += (icon.cy - text.cy) >> 1;
    }
    g.textRect.top += kMargin;
    g.textRect.left += allowance + kMargin;
    g.textRect.right = g.textRect.left + text.cx;
    g.textRect.bottom = g.textRect.top + text.cy;

    const int frameWidth = (window.right - window.left) - (client.right - client.left);
    const int frameHeight = (window.bottom - window.top) - (client.bottom - client.top);
    g.windowSize.cx = frameWidth + kMargin + allowance + text.cx + kMargin;
    g.windowSize.cy = frameHeight + kMargin + std::max(text.cy, icon.cy) + kMargin;
    if (firstButtonHeight > 0)
        g.windowSize.cy += firstButtonHeight + kMargin;
    return g;
}

int ButtonRowTop(POINT iconPos, int iconHeight, const RECT& textRect)
{
    return std::max<LONG>(iconPos.y + iconHeight, textRect.bottom) + kMargin;
}

int FitButtonRow(int naturalTop, const std::vector<SIZE>& natural, const RECT& client)
{
    int rowHeight = 0;
    for (const SIZE& size : natural)
        rowHeight = std::max<int>(rowHeight, size.cy);
    return std::min<int>(naturalTop, client.bottom - kMargin - rowHeight);
}

std::vector<RECT> ArrangeButtons(const RECT& client, int top, const std::vector<SIZE>& natural)
{
    std::vector<RECT> placed;
    if (natural.empty())
        return placed;
    const int gaps = kMargin * static_cast<int>(natural.size() - 1);
    int rowHeight = 0;
    int naturalRow = gaps;
    int widenedRow = gaps;
    for (const SIZE& size : natural) {
        rowHeight = std::max<int>(rowHeight, size.cy);
        naturalRow += size.cx;
        widenedRow += std::max<int>(size.cx, kWideButtonWidth);
    }
    const int clientWidth = client.right - client.left;
    const bool widen = clientWidth > widenedRow;
    const int row = widen ? widenedRow : naturalRow;
    int x = client.left + (clientWidth - row) / 2; // truncates toward zero: an overflow spills both sides
    for (const SIZE& size : natural) {
        const int width = widen ? std::max<int>(size.cx, kWideButtonWidth) : size.cx;
        placed.push_back(RECT{x, top, x + width, top + rowHeight});
        x += width + kMargin;
    }
    return placed;
}

} // namespace Message
