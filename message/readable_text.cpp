#include "message/readable_text.h"

namespace Message {

namespace {
const HyperLink* AsLink(const Elements& elements, size_t i)
{
    return i < elements.size() ? dynamic_cast<const HyperLink*>(elements[i].get()) : nullptr;
}

// True when the link at `i` goes on in the next element or on the next line.
bool LinkGoesOn(const Elements& elements, size_t i)
{
    const std::wstring& target = AsLink(elements, i)->m_target;
    size_t next = i + 1;
    if (next < elements.size() && dynamic_cast<const LineSeparator*>(elements[next].get()))
        ++next;
    const HyperLink* following = AsLink(elements, next);
    return following && following->m_target == target;
}
} // namespace

std::wstring ReadableText(const Elements& elements, bool withTargets)
{
    std::wstring text;
    std::wstring linkText; // the link read so far, over its lines
    for (size_t i = 0; i < elements.size(); ++i) {
        const Text* element = elements[i].get();
        if (dynamic_cast<const LineSeparator*>(element)) {
            text += L"\r\n";
            if (!linkText.empty())
                linkText += L"\r\n";
        } else if (const HyperLink* link = dynamic_cast<const HyperLink*>(element)) {
            text += link->m_text;
            linkText += link->m_text;
            if (LinkGoesOn(elements, i))
                continue;
            if (withTargets && linkText != link->m_target)
                text += L" <" + link->m_target + L">";
            linkText.clear();
        } else if (const PlainText* plain = dynamic_cast<const PlainText*>(element)) {
            text += plain->m_text;
        }
    }
    return text;
}

std::wstring LabelWithoutAccessKeys(const std::wstring& label)
{
    std::wstring shown;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] != L'&') {
            shown += label[i];
        } else if (i + 1 < label.size() && label[i + 1] == L'&') {
            shown += L'&';
            ++i;
        }
    }
    return shown;
}

std::wstring ClipboardLayout(const std::wstring& caption, const std::wstring& message,
                             const std::vector<std::wstring>& labels)
{
    const std::wstring dashes = std::wstring(27, L'-') + L"\r\n";
    std::wstring buttons;
    for (const std::wstring& label : labels)
        buttons += LabelWithoutAccessKeys(label) + L"   ";
    return dashes + caption + L"\r\n" + dashes + message + L"\r\n" + dashes + buttons + L"\r\n" + dashes;
}

} // namespace Message
