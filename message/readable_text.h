#pragma once
// The message as people and assistive technology read it, without markup,
// and the box as the system's message box copies it to the clipboard.
#include <string>
#include <vector>

#include "message/text.h"

namespace Message {

// The message's lines joined by CR LF. With `withTargets` a link's target
// follows its text in angle brackets (which no target can contain), unless
// the text is the target itself.
std::wstring ReadableText(const Elements& elements, bool withTargets);

// A button label as it shows: the "&" that marks an access key removed,
// "&&" read as one "&".
std::wstring LabelWithoutAccessKeys(const std::wstring& label);

// Caption, message and button labels between lines of dashes, each label
// followed by three spaces, lines ended by CR LF: what users paste from the
// system's message box into support requests.
std::wstring ClipboardLayout(const std::wstring& caption, const std::wstring& message,
                             const std::vector<std::wstring>& labels);

} // namespace Message
