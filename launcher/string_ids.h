#pragma once
// The identifiers of the string catalogue's texts, named once for the
// catalogue, the message box, the update check and the tests.
#include <windows.h>

namespace StringId {

constexpr UINT ExitCommand = 57665; // "E&xit\nExit": a label, then its short form
constexpr UINT OkLabel = 302;
constexpr UINT CancelLabel = 301;
constexpr UINT YesLabel = 304;
constexpr UINT NoLabel = 305;
constexpr UINT CloseLabel = 303;
constexpr UINT NewVersionText = 27;
constexpr UINT LatestVersionText = 28;
constexpr UINT ConnectionErrorText = 29;
constexpr UINT ProductName = 2936;
constexpr UINT CheckOnlinePrompt = 9906;
constexpr UINT AllowAutomaticUpdatesLabel = 9907;
constexpr UINT AllowAutomaticUpdatesHint = 9908;
constexpr UINT ContinueLabel = 9909;
// The update check's title; in neither table, so its messages have no title.
constexpr UINT UpdateCheckTitle = 2363;

} // namespace StringId
