#include "message/message_box.h"

#include "launcher/string_catalog.h"
#include "launcher/string_ids.h"

namespace Message {

int Show(const CString& caption, const CString& text, Type type, const ButtonSpecs& buttons, HWND parent)
{
    CWnd owner(parent);
    Dialog dialog(caption, text, type, buttons, parent ? &owner : nullptr);
    return static_cast<int>(dialog.DoModal());
}

int Show(int buttonId, const CString& caption, const CString& text, Type type, HWND parent)
{
    ButtonSpecs buttons;
    AddStandardButton(buttons, buttonId);
    return Show(caption, text, type, buttons, parent);
}

ButtonSpecs& AddButton(ButtonSpecs& buttons, const ButtonSpec& spec)
{
    buttons.push_back(spec);
    return buttons;
}

ButtonSpecs& AddStandardButton(ButtonSpecs& buttons, int id)
{
    return AddButton(buttons, ButtonSpec{StandardButtonLabel(id), id});
}

CString StandardButtonLabel(int id)
{
    switch (id) {
    case IDOK: return StringCatalog::Get(StringId::OkLabel);
    case IDCANCEL: return StringCatalog::Get(StringId::CancelLabel);
    case IDYES: return StringCatalog::Get(StringId::YesLabel);
    case IDNO: return StringCatalog::Get(StringId::NoLabel);
    case IDCLOSE: return StringCatalog::Get(StringId::CloseLabel);
    }
    return CString();
}

} // namespace Message
