#include "message/message_dialog.h"

#include <shellapi.h>

#include <algorithm>

#include <boost/make_shared.hpp>

#include "framework/dc.h"
#include "framework/scoped_handle.h"
#include "message/clipboard.h"
#include "message/dialog_geometry.h"
#include "message/readable_text.h"

namespace Message {

namespace {
// Buttons tell the dialog when they get the focus (BS_NOTIFY), so that the
// focused one is the default one however the focus came there.
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY;
// The static control that holds the message for screen readers, with the
// identifier the system's message box gives its text.
constexpr UINT kReaderTextId = 0xFFFF;

LPCWSTR SystemIconFor(Type type)
{
    switch (type) {
    case Error: return IDI_HAND;
    case Warning: return IDI_EXCLAMATION;
    case Information: return IDI_ASTERISK;
    case Question: return IDI_QUESTION;
    }
    return nullptr;
}

// The sound the system's message box plays for the same icon.
UINT SystemSoundFor(Type type)
{
    switch (type) {
    case Error: return MB_ICONHAND;
    case Warning: return MB_ICONEXCLAMATION;
    case Information: return MB_ICONASTERISK;
    case Question: return MB_ICONQUESTION;
    }
    return MB_OK;
}

// The reader text's window procedure: a static control's (it keeps the
// static's own in its user data) that paints nothing.
LRESULT CALLBACK ReaderTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        ::ValidateRect(window, nullptr);
        return 0;
    }
    if (message == WM_ERASEBKGND)
        return 1;
    const auto staticProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return ::CallWindowProcW(staticProc, window, message, wParam, lParam);
}

// Changes a push button between default and plain, keeping its other styles.
void SetPushButtonKind(HWND button, DWORD kind)
{
    const DWORD style = static_cast<DWORD>(::GetWindowLongW(button, GWL_STYLE));
    if ((style & BS_TYPEMASK) != kind)
        ::SendMessageW(button, BM_SETSTYLE, (style & 0xFFFF & ~BS_TYPEMASK) | kind, TRUE);
}
} // namespace

// Commands of any identifier come to OnCommand: 1 to 11 end the dialog, and
// a button's focus notice makes it the default one.
DEFINE_WINDOW_CLASS(Dialog, SkinDialog,
                    MessageEntry<&Dialog::OnPaint>(WM_PAINT),
                    CommandRangeEntry<&Dialog::OnCommand>(0, 0xFFFF),
                    MouseEntry<&Dialog::OnMouseMove>(WM_MOUSEMOVE),
                    IgnoredEntry(WM_MOUSELEAVE),
                    IgnoredEntry(WM_LBUTTONDOWN),
                    MouseEntry<&Dialog::OnLButtonUp>(WM_LBUTTONUP));

const DialogTemplate& ExtendedMessageBoxTemplate()
{
    static const DialogTemplate dialogTemplate(
        kDialogStyle, kDialogExStyle, 0, 0, 186, 90, L"",
        DialogTemplateFont{8, FW_NORMAL, FALSE, DEFAULT_CHARSET, L"MS Shell Dlg"});
    return dialogTemplate;
}

Dialog::Dialog(const CString& caption, const CString& text, Type type, const ButtonSpecs& buttons, CWnd* parent)
    : SkinDialog(ExtendedMessageBoxTemplate(), parent), m_caption(caption), m_text(text), m_buttonSpecs(buttons),
      m_type(type)
{
    if (LPCWSTR icon = SystemIconFor(type))
        if (HICON handle = ::LoadIconW(nullptr, icon))
            m_image.SetIcon(handle);
}

Dialog::~Dialog() = default;

SIZE Dialog::IconSize() const
{
    SIZE size = {0, 0};
    if (Gdiplus::Bitmap* bitmap = m_image.GetBitmap()) {
        size.cx = static_cast<LONG>(bitmap->GetWidth());
        size.cy = static_cast<LONG>(bitmap->GetHeight());
    }
    return size;
}

BOOL Dialog::OnInitDialog()
{
    const BOOL result = SkinDialog::OnInitDialog();
    if (!result)
        return 0;
    SetWindowText(m_caption);
    UpdateFont();

    if (HFONT font = GetFont()) {
        CClientDC dc(m_hWnd);
        CSelectFont select(dc, font);
        CreateButtons(dc);

        RECT client = {};
        RECT window = {};
        GetClientRect(&client);
        GetWindowRect(&window);
        const SIZE icon = IconSize();

        ParseMarkup(m_elements, m_text.ToStdString());
        const SIZE text = LayoutElements(m_elements, DcTextMeasurer(dc), MaxTextWidth(icon.cx));

        int firstButtonHeight = 0;
        if (!m_buttons.empty()) {
            RECT rect = {};
            ::GetWindowRect(m_buttons.front()->GetSafeHwnd(), &rect);
            firstButtonHeight = rect.bottom - rect.top;
        }
        const DialogGeometry geometry = ComputeDialogGeometry(client, window, icon, text, firstButtonHeight);
        m_textRect = geometry.textRect;
        m_iconPos = geometry.iconPos;
        ResizeAndCenter(geometry.windowSize.cx, geometry.windowSize.cy);
        ShowTextAbove(PositionButtons(), icon.cy);
        CreateReaderText();
    }

    // The buttons made above get the dialog font too.
    UpdateFont();
    // The dialog manager gives the first button the focus when this returns.
    if (!m_buttons.empty())
        MakeDefaultButton(m_buttons.front()->GetSafeHwnd());
    ::MessageBeep(SystemSoundFor(m_type));
    return result;
}

void Dialog::CreateButtons(CDC& dc)
{
    for (const ButtonSpec& spec : m_buttonSpecs) {
        const SIZE label = dc.GetTextExtent(spec.label.GetString(), spec.label.GetLength());
        const RECT rect = {0, 0, label.cx + kButtonExtraWidth, label.cy + kButtonExtraHeight};
        auto button = boost::make_shared<CButton>();
        // The buttons are a group of their own: arrow keys move among them only.
        const DWORD style = kButtonStyle | (m_buttons.empty() ? WS_GROUP : 0);
        button->Create(spec.label, style, rect, this, static_cast<UINT>(spec.id));
        m_buttons.push_back(button);
    }
}

void Dialog::CreateReaderText()
{
    // Screen readers read a message box from the text of its static control.
    // This one lies over the text and paints nothing (an empty window region,
    // and a window procedure that skips painting: Wine takes an empty region
    // for none, and the control painted over the links' underlines): the
    // dialog paints the text itself. Mouse input passes through it to the
    // dialog, and as a group of its own it never takes the focus.
    const std::wstring text = ReadableText(m_elements, false);
    HWND reader = ::CreateWindowExW(
        0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT | SS_NOPREFIX, m_textShown.left,
        m_textShown.top, m_textShown.right - m_textShown.left, m_textShown.bottom - m_textShown.top, m_hWnd,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kReaderTextId)), ::GetModuleHandleW(nullptr), nullptr);
    if (!reader)
        return;
    ::SetWindowLongPtrW(reader, GWLP_USERDATA, ::GetWindowLongPtrW(reader, GWLP_WNDPROC));
    ::SetWindowLongPtrW(reader, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReaderTextProc));
    ScopedGdiObject<HRGN> nothing(::CreateRectRgn(0, 0, 0, 0));
    if (nothing && ::SetWindowRgn(reader, nothing.get(), FALSE))
        nothing.release(); // the window owns it now
    // Read before the buttons, as in the system's message box.
    ::SetWindowPos(reader, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int Dialog::PositionButtons()
{
    RECT client = {};
    GetClientRect(&client);
    if (m_buttons.empty())
        return client.bottom;
    std::vector<SIZE> natural;
    for (const auto& button : m_buttons) {
        RECT rect = {};
        ::GetWindowRect(button->GetSafeHwnd(), &rect);
        natural.push_back(SIZE{rect.right - rect.left, rect.bottom - rect.top});
    }
    const int top = FitButtonRow(ButtonRowTop(m_iconPos, IconSize().cy, m_textRect), natural, client);
    const std::vector<RECT> placed = ArrangeButtons(client, top, natural);
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->SetWindowPos(nullptr, placed[i].left, placed[i].top, placed[i].right - placed[i].left,
                                   placed[i].bottom - placed[i].top, SWP_NOZORDER | SWP_NOACTIVATE);
    return top;
}

void Dialog::ShowTextAbove(int below, int iconHeight)
{
    m_textShown = m_textRect;
    m_textShown.bottom = std::min<LONG>(m_textShown.bottom, below - kMargin);
    if (m_textShown.bottom < m_textRect.bottom) { // the box was cut to the screen
        const LONG shownHeight = m_textShown.bottom - m_textShown.top;
        m_iconPos.y = std::min<LONG>(m_iconPos.y, m_textShown.top + ((shownHeight - iconHeight) >> 1));
    }
}

void Dialog::MakeDefaultButton(HWND button)
{
    bool ours = false;
    for (const auto& b : m_buttons)
        ours = ours || b->GetSafeHwnd() == button;
    if (!ours)
        return;
    SendMessage(DM_SETDEFID, static_cast<WPARAM>(::GetDlgCtrlID(button)));
    // Setting the identifier does not always redraw the old default button.
    for (const auto& b : m_buttons)
        SetPushButtonKind(b->GetSafeHwnd(), b->GetSafeHwnd() == button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
}

void Dialog::OnCommand(UINT id, UINT code, HWND control)
{
    if (code == BN_SETFOCUS)
        MakeDefaultButton(control);
    else if (code == BN_CLICKED && id >= 1 && id <= 11)
        EndDialog(static_cast<int>(id));
}

BOOL Dialog::PreTranslateMessage(MSG* msg)
{
    if (msg->message != WM_KEYDOWN || (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)))
        return FALSE;
    const bool control = ::GetKeyState(VK_CONTROL) < 0;
    const bool alt = ::GetKeyState(VK_MENU) < 0; // Ctrl+Alt is AltGr on many keyboards
    if (!control || alt || (msg->wParam != 'C' && msg->wParam != VK_INSERT))
        return FALSE;
    CopyTextToClipboard(m_hWnd, ClipboardText());
    return TRUE;
}

std::wstring Dialog::ClipboardText() const
{
    std::vector<std::wstring> labels;
    for (const ButtonSpec& spec : m_buttonSpecs)
        labels.push_back(spec.label.ToStdString());
    return ClipboardLayout(m_caption.ToStdString(), ReadableText(m_elements, true), labels);
}

void Dialog::OnPaint()
{
    CPaintDC dc(m_hWnd);
    m_image.Draw(m_iconPos.x, m_iconPos.y, &dc);

    CSelectFont font(dc, GetFont());
    CSelectTextColor color(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    const int saved = dc.SaveDC();
    if (m_textShown.bottom < m_textRect.bottom) {
        // Cut to the screen: the rest of the text would run under the buttons.
        RECT shown = {};
        GetClientRect(&shown);
        shown.bottom = m_textShown.bottom;
        dc.IntersectClipRect(shown);
    }
    dc.SetBkMode(TRANSPARENT);
    dc.SetGraphicsMode(GM_ADVANCED);
    const XFORM shift = {
        1.0f, 0.0f, 0.0f, 1.0f, static_cast<FLOAT>(m_textRect.left), static_cast<FLOAT>(m_textRect.top)};
    dc.SetWorldTransform(&shift);
    for (const auto& element : m_elements)
        element->Paint(dc);
    dc.RestoreDC(saved);
}

void Dialog::OnMouseMove(UINT, POINT)
{
    m_mouseTrack.cbSize = sizeof(m_mouseTrack);
    m_mouseTrack.dwFlags = TME_LEAVE;
    m_mouseTrack.hwndTrack = m_hWnd;
    m_mouseTrack.dwHoverTime = 0;
    ::TrackMouseEvent(&m_mouseTrack);
}

void Dialog::OnLButtonUp(UINT, POINT point)
{
    if (m_textShown.bottom < m_textRect.bottom && point.y >= m_textShown.bottom)
        return; // a link there is out of sight
    const POINT inText = {point.x - m_textRect.left, point.y - m_textRect.top};
    for (const auto& element : m_elements) {
        const std::wstring link = element->GetLink(inText);
        if (!link.empty()) {
            ::ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
            return;
        }
    }
}

} // namespace Message
