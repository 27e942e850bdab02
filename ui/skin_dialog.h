#pragma once
// The base of every dialog of the program: the framework dialog with the
// dialog font mix-in, and the placement that sizes and centres it.
#include <windows.h>

#include "framework/dialog.h"
#include "ui/dialog_font_updater.h"

// The top-left corner that centres a cx by cy window over `reference`.
// Arithmetic shifts: an odd difference loses its half, a negative one (a
// window larger than the reference) rounds toward negative infinity.
POINT CenterOver(const RECT& reference, int cx, int cy);

// The rectangle of a cx by cy window centred over `reference` that stays
// inside the work area `work`: a window taller than the work area gets its
// height, and one that would reach outside moves in, its top-left corner
// kept visible when it is still wider. A window that fits stays centred.
RECT PlaceInWorkArea(const RECT& reference, int cx, int cy, const RECT& work);

class SkinDialog : public CDialog, public DialogFontUpdater {
public:
    SkinDialog(const DialogTemplate& dialogTemplate, CWnd* parent);

    // Gives the dialog the size and centres it over the application's main
    // (or active) window, else the desktop, else puts it at (100, 100); it
    // stays inside the work area of its monitor (see PlaceInWorkArea), so
    // the client area may come out shorter than asked.
    void ResizeAndCenter(int cx, int cy);

    // Handles no message itself.
    WINDOW_CLASS_MEMBERS(SkinDialog);
};
