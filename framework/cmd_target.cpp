#include "framework/cmd_target.h"

namespace {
const MessageMapEntry kNoEntries[] = {{0, 0, 0, nullptr}};
}

const MessageMap CCmdTarget::s_messageMap = {nullptr, kNoEntries};

const MessageMap* CCmdTarget::GetMessageMap() const
{
    return &s_messageMap;
}

const MessageMapEntry* FindMessageEntry(const MessageMap* map, UINT message, WPARAM wParam)
{
    for (; map; map = map->base) {
        for (const MessageMapEntry* e = map->entries; e->thunk; ++e) {
            if (e->message != message)
                continue;
            if (message == WM_COMMAND) {
                const UINT id = LOWORD(wParam);
                if (id < e->idFirst || id > e->idLast)
                    continue;
            }
            return e;
        }
    }
    return nullptr;
}

bool CCmdTarget::DispatchMapped(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    const MessageMapEntry* entry = FindMessageEntry(GetMessageMap(), message, wParam);
    if (!entry)
        return false;
    result = entry->thunk(*this, wParam, lParam);
    return true;
}
