#pragma once
// Message maps: each class has a static table of the messages it handles,
// chained to its base class's table. A reader sees at one glance which
// messages a class handles; dispatch walks the chain from the most derived.
// Classes write their maps with the typed entries of framework/message_map.h.
#include <windows.h>

class CCmdTarget;

// Calls the typed handler on `target`; returns the message's result.
using MessageThunk = LRESULT (*)(CCmdTarget& target, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;
    UINT idFirst; // for WM_COMMAND: the range of command identifiers handled
    UINT idLast;
    MessageThunk thunk;
};

struct MessageMap {
    const MessageMap* base;         // null at the root
    const MessageMapEntry* entries; // ends with an entry whose thunk is null
};

class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    virtual const MessageMap* GetMessageMap() const;

    // Finds the first entry for the message in the chain and runs it.
    // Returns false when no entry handles the message.
    bool DispatchMapped(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    static const MessageMap s_messageMap;
};

// Finds the entry that handles `message` (for WM_COMMAND, the command
// identifier in LOWORD(wParam)) in `map` and its bases; null when none.
const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam);
