#include "ui/skin_dialog.h"

#include "framework/win_app.h"

namespace {
const MessageMapEntry kSkinDialogEntries[] = {{0, 0, 0, nullptr}};

HWND ReferenceWindow()
{
    HWND window = nullptr;
    if (CWinApp* app = AfxGetApp())
        window = app->GetMainWnd();
    return window ? window : ::GetDesktopWindow();
}
} // namespace

const CRuntimeClass SkinDialog::classSkinDialog = {"SkinDialog", &CDialog::classCDialog};
const MessageMap SkinDialog::s_messageMap = {&CDialog::s_messageMap, kSkinDialogEntries};

POINT CenterOver(const RECT& reference, int cx, int cy)
{
    POINT at;
    at.x = reference.left + ((reference.right - cx - reference.left) >> 1);
    at.y = reference.top + ((reference.bottom - cy - reference.top) >> 1);
    return at;
}

SkinDialog::SkinDialog(const DialogTemplate& dialogTemplate, CWnd* parent) : CDialog(dialogTemplate, parent)
{
}

const CRuntimeClass* SkinDialog::GetRuntimeClass() const
{
    return &classSkinDialog;
}

const MessageMap* SkinDialog::GetMessageMap() const
{
    return &s_messageMap;
}

void SkinDialog::ResizeAndCenter(int cx, int cy)
{
    HWND reference = ReferenceWindow();
    if (!reference) {
        SetWindowPos(nullptr, 100, 100, cx, cy, SWP_NOZORDER);
        return;
    }
    RECT rect = {};
    ::GetWindowRect(reference, &rect);
    const POINT at = CenterOver(rect, cx, cy);
    SetWindowPos(nullptr, at.x, at.y, cx, cy, SWP_NOZORDER);
}
