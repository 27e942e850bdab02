#include "message/message_dialog.h"

#include <shellapi.h>
#include <windowsx.h>

#include <boost/make_shared.hpp>

#include "framework/dc.h"
#include "message/dialog_geometry.h"

namespace Message {

namespace {
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON; // 0x50010000

const MessageMapEntry kDialogEntries[] = {
    {WM_PAINT, 0, 0, [](CCmdTarget& t, WPARAM, LPARAM) -> LRESULT { static_cast<Dialog&>(t).OnPaint(); return 0; }},
    {WM_COMMAND, 1, 11,
     [](CCmdTarget& t, WPARAM wParam, LPARAM) -> LRESULT {
         static_cast<Dialog&>(t).EndDialog(LOWORD(wParam));
         return 0;
     }},
    {WM_MOUSEMOVE, 0, 0,
     [](CCmdTarget& t, WPARAM wParam, LPARAM lParam) -> LRESULT {
         static_cast<Dialog&>(t).OnMouseMove(static_cast<UINT>(wParam),
                                              POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
         return 0;
     }},
    {WM_MOUSELEAVE, 0, 0, [](CCmdTarget&, WPARAM, LPARAM) -> LRESULT { return 0; }},
    {WM_LBUTTONDOWN, 0, 0, [](CCmdTarget&, WPARAM, LPARAM) -> LRESULT { return 0; }},
    {WM_LBUTTONUP, 0, 0,
     [](CCmdTarget& t, WPARAM wParam, LPARAM lParam) -> LRESULT {
         static_cast<Dialog&>(t).OnLButtonUp(static_cast<UINT>(wParam),
                                             POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
         return 0;
     }},
    {0, 0, 0, nullptr}};

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
} // namespace

const CRuntimeClass Dialog::classDialog = {"Dialog", &SkinDialog::classSkinDialog};
const MessageMap Dialog::s_messageMap = {&SkinDialog::s_messageMap, kDialogEntries};

const DialogTemplate& ExtendedMessageBoxTemplate()
{
    static const DialogTemplate dialogTemplate(0x80C800C8, WS_EX_TOPMOST, 0, 0, 186, 90, L"",
                                               DialogTemplateFont{8, FW_NORMAL, FALSE, DEFAULT_CHARSET,
                                                                  L"MS Shell Dlg"});
    return dialogTemplate;
}

Dialog::Dialog(const CString& caption, const CString& text, Type type, const ButtonSpecs& buttons, CWnd* parent)
    : SkinDialog(ExtendedMessageBoxTemplate(), parent), m_caption(caption), m_text(text), m_buttonSpecs(buttons)
{
    if (LPCWSTR icon = SystemIconFor(type))
        if (HICON handle = ::LoadIconW(nullptr, icon))
            m_image.SetIcon(handle);
}

Dialog::~Dialog() = default;

const CRuntimeClass* Dialog::GetRuntimeClass() const
{
    return &classDialog;
}

const MessageMap* Dialog::GetMessageMap() const
{
    return &s_messageMap;
}

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
        PositionButtons();
    }

    // The buttons made above get the dialog font too.
    UpdateFont();
    return result;
}

void Dialog::CreateButtons(CDC& dc)
{
    for (const ButtonSpec& spec : m_buttonSpecs) {
        const SIZE label = dc.GetTextExtent(spec.label.GetString(), spec.label.GetLength());
        const RECT rect = {0, 0, label.cx + kButtonExtraWidth, label.cy + kButtonExtraHeight};
        auto button = boost::make_shared<CButton>();
        button->Create(spec.label, kButtonStyle, rect, this, static_cast<UINT>(spec.id));
        m_buttons.push_back(button);
    }
}

void Dialog::PositionButtons()
{
    if (m_buttons.empty())
        return;
    RECT client = {};
    GetClientRect(&client);
    std::vector<SIZE> natural;
    for (const auto& button : m_buttons) {
        RECT rect = {};
        ::GetWindowRect(button->GetSafeHwnd(), &rect);
        natural.push_back(SIZE{rect.right - rect.left, rect.bottom - rect.top});
    }
    const int top = ButtonRowTop(m_iconPos, IconSize().cy, m_textRect);
    const std::vector<RECT> placed = ArrangeButtons(client, top, natural);
    for (size_t i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->SetWindowPos(nullptr, placed[i].left, placed[i].top, placed[i].right - placed[i].left,
                                   placed[i].bottom - placed[i].top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Dialog::OnPaint()
{
    CPaintDC dc(m_hWnd);
    m_image.Draw(m_iconPos.x, m_iconPos.y, &dc);

    CSelectFont font(dc, GetFont());
    CSelectTextColor color(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    const int saved = dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);
    dc.SetGraphicsMode(GM_ADVANCED);
    const XFORM shift = {1.0f, 0.0f, 0.0f, 1.0f, static_cast<FLOAT>(m_textRect.left),
                         static_cast<FLOAT>(m_textRect.top)};
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
