#pragma once
// Typed message-map entries and the helpers that give a class its map (and
// its run-time class) in one line each. An entry unpacks the message's
// parameters once and calls a handler with a typed signature, so a class's
// map reads as a list of one-liners:
//
//   DEFINE_WINDOW_CLASS(Dialog, SkinDialog,
//       MessageEntry<&Dialog::OnPaint>(WM_PAINT),
//       CommandRangeEntry<&Dialog::OnCommand>(0, 0xFFFF),
//       MouseEntry<&Dialog::OnMouseMove>(WM_MOUSEMOVE),
//       IgnoredEntry(WM_MOUSELEAVE))
//
// Handlers may be private: the entries are written in the class's own scope.
#include <windows.h>

#include <type_traits>

#include "framework/cmd_target.h"
#include "framework/runtime_class.h"

namespace MessageMapDetail {

template <class Handler>
struct HandlerOf;
template <class T, class R, class... Args>
struct HandlerOf<R (T::*)(Args...)> {
    using Class = T;
    using Result = R;
};

// Calls the handler on the target (of the handler's class) and turns its
// result into the message's: 0 for a handler that returns nothing.
template <auto Handler, class... Args>
LRESULT Call(CCmdTarget& target, Args... args)
{
    using Traits = HandlerOf<decltype(Handler)>;
    auto& self = static_cast<typename Traits::Class&>(target);
    if constexpr (std::is_void_v<typename Traits::Result>) {
        (self.*Handler)(args...);
        return 0;
    } else {
        return static_cast<LRESULT>((self.*Handler)(args...));
    }
}

} // namespace MessageMapDetail

// Any message, handled by `R Handler()` or by `R Handler(WPARAM, LPARAM)`
// for a message whose parameters have no fixed meaning.
template <auto Handler>
constexpr MessageMapEntry MessageEntry(UINT message)
{
    if constexpr (std::is_invocable_v<decltype(Handler),
                                      typename MessageMapDetail::HandlerOf<decltype(Handler)>::Class&>)
        return {message, 0, 0, [](CCmdTarget& t, WPARAM, LPARAM) { return MessageMapDetail::Call<Handler>(t); }};
    else
        return {message, 0, 0, [](CCmdTarget& t, WPARAM wParam, LPARAM lParam) {
                    return MessageMapDetail::Call<Handler>(t, wParam, lParam);
                }};
}

// A mouse message: `void Handler(UINT flags, POINT point)`, the point in
// client coordinates (signed, so a captured mouse left of the window is negative).
template <auto Handler>
constexpr MessageMapEntry MouseEntry(UINT message)
{
    return {message, 0, 0, [](CCmdTarget& t, WPARAM wParam, LPARAM lParam) {
                return MessageMapDetail::Call<Handler>(
                    t, static_cast<UINT>(wParam),
                    POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
            }};
}

// WM_COMMAND with one command identifier: `void Handler()`.
template <auto Handler>
constexpr MessageMapEntry CommandEntry(UINT id)
{
    return {WM_COMMAND, id, id, [](CCmdTarget& t, WPARAM, LPARAM) { return MessageMapDetail::Call<Handler>(t); }};
}

// WM_COMMAND with an identifier from `first` to `last`:
// `void Handler(UINT id, UINT notifyCode, HWND control)`.
template <auto Handler>
constexpr MessageMapEntry CommandRangeEntry(UINT first, UINT last)
{
    return {WM_COMMAND, first, last, [](CCmdTarget& t, WPARAM wParam, LPARAM lParam) {
                return MessageMapDetail::Call<Handler>(t, static_cast<UINT>(LOWORD(wParam)),
                                                       static_cast<UINT>(HIWORD(wParam)),
                                                       reinterpret_cast<HWND>(lParam));
            }};
}

// A message the class takes and does nothing with, so that no default
// processing runs for it.
constexpr MessageMapEntry IgnoredEntry(UINT message)
{
    return {message, 0, 0, [](CCmdTarget&, WPARAM, LPARAM) -> LRESULT { return 0; }};
}

constexpr MessageMapEntry kEndOfMessageMap = {0, 0, 0, nullptr};

// In a class body: the class's message map and its accessor. These macros
// leave the class body in public access.
#define MESSAGE_MAP_MEMBERS()                                                                                          \
public:                                                                                                                \
    const MessageMap* GetMessageMap() const override                                                                   \
    {                                                                                                                  \
        return &s_messageMap;                                                                                          \
    }                                                                                                                  \
    static const MessageMapEntry s_messageEntries[];                                                                   \
    static const MessageMap s_messageMap

// In a class body: the run-time class `class<Name>` and the message map,
// with their accessors.
#define WINDOW_CLASS_MEMBERS(Name)                                                                                     \
public:                                                                                                                \
    const CRuntimeClass* GetRuntimeClass() const override                                                              \
    {                                                                                                                  \
        return &class##Name;                                                                                           \
    }                                                                                                                  \
    static const CRuntimeClass class##Name;                                                                            \
    MESSAGE_MAP_MEMBERS()

// In the class's source file: its map, the given entries in order, then
// the base class's map.
#define DEFINE_MESSAGE_MAP(Class, Base, ...)                                                                           \
    const MessageMapEntry Class::s_messageEntries[] = {__VA_ARGS__ __VA_OPT__(, ) kEndOfMessageMap};                   \
    const MessageMap Class::s_messageMap = {&Base::s_messageMap, Class::s_messageEntries}

// In the class's source file: its run-time class, named as the class and
// derived from the base's, and its map as DEFINE_MESSAGE_MAP gives it.
#define DEFINE_WINDOW_CLASS(Class, Base, ...)                                                                          \
    const CRuntimeClass Class::class##Class = {#Class, &Base::class##Base};                                            \
    DEFINE_MESSAGE_MAP(Class, Base, __VA_ARGS__)
