#pragma once
// The program's message box: a modal dialog with the system icon of its
// type, the message (wrapped, with clickable links) and a centred row of the
// caller's buttons. It ends with any command identifier from 1 to 11.
// Like the system's message box it makes the focused button the default one
// (Enter presses it), copies itself to the clipboard on Ctrl+C, keeps its
// message in a static control for screen readers and plays the sound of its
// type when it appears.
#include <windows.h>

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "framework/button.h"
#include "framework/cstring.h"
#include "message/dialog_style.h"
#include "message/text.h"
#include "ui/skin_dialog.h"
#include "ui/smart_bitmap.h"

namespace Message {

// One button: its label (an ampersand marks the access key) and the command
// identifier that Show returns when it is pressed.
struct ButtonSpec {
    CString label;
    int id;
};
using ButtonSpecs = std::vector<ButtonSpec>;

// Selects the icon; any other value shows none.
enum Type : unsigned { Error = 1, Warning = 2, Information = 3, Question = 4 };

// The template "IDD_EXTENDED_MESSAGE_BOX": no controls, 186 x 90 dialog
// units, kDialogStyle and kDialogExStyle, "MS Shell Dlg" 8 pt.
const DialogTemplate& ExtendedMessageBoxTemplate();

class Dialog : public SkinDialog {
public:
    Dialog(const CString& caption, const CString& text, Type type, const ButtonSpecs& buttons, CWnd* parent);
    ~Dialog() override;

    BOOL OnInitDialog() override;
    void UpdateFont() override { ApplyFont(*this); }
    // Ctrl+C and Ctrl+Insert copy the box, whichever of its windows has the focus.
    BOOL PreTranslateMessage(MSG* msg) override;

    void OnPaint();
    // A button was pressed (or Enter, Escape, the close box): ids 1 to 11 end
    // the dialog. A button that gets the focus becomes the default one.
    void OnCommand(UINT id, UINT code, HWND control);
    void OnMouseMove(UINT flags, POINT point);
    void OnLButtonUp(UINT flags, POINT point);

    // Appends the elements of a whole message (text with markup).
    static void ParseMarkup(Elements& elements, const std::wstring& text);
    // Appends a PlainText per line, with a separator between lines.
    static void SplitAndAdd(Elements& elements, const std::wstring& text);
    // Appends a HyperLink to `target` per line, with a separator between lines.
    static void SplitAndAdd(Elements& elements, const std::wstring& text, const std::wstring& target);

    // The box as the clipboard gets it: caption, message (a link's target
    // after its text) and button labels, in the system's message-box layout.
    std::wstring ClipboardText() const;

    // What the layout decided, for whoever inspects the open dialog.
    const RECT& TextRect() const { return m_textRect; }
    POINT IconPos() const { return m_iconPos; }
    const Elements& GetElements() const { return m_elements; }

    WINDOW_CLASS_MEMBERS(Dialog);

private:
    void CreateButtons(CDC& dc);
    // Places the buttons in the client area; returns the top of what lies
    // below the text: the button row, or the client area's bottom.
    int PositionButtons();
    // The text shows down to a margin above `below`; in a box cut to the
    // screen the rest is cut off and the icon stays beside what shows.
    void ShowTextAbove(int below, int iconHeight);
    void CreateReaderText();
    void MakeDefaultButton(HWND button);
    SIZE IconSize() const;

    CString m_caption;
    CString m_text;
    SmartBitmap m_image;
    ButtonSpecs m_buttonSpecs;
    std::vector<boost::shared_ptr<CButton>> m_buttons;
    RECT m_textRect = {};
    POINT m_iconPos = {};
    Elements m_elements;
    TRACKMOUSEEVENT m_mouseTrack = {};
    Type m_type;
    RECT m_textShown = {}; // m_textRect, cut above the buttons when the box is cut to the screen
};

} // namespace Message
