#pragma once
// A message box shown by the message-box tool (tools/message_box) in a
// process of its own: the way a user's keyboard, the clipboard or a screen
// reader meets it from outside.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tools/driver/process_driver.h"

namespace test {

struct ToolBoxSpec {
    std::wstring caption;
    std::wstring text; // markup and line breaks as Message::Show takes them
    unsigned type;
    std::vector<std::wstring> buttons; // "ID" or "ID=LABEL", as the tool's --button takes them
};

// What the launcher shows when a newer build is offered, and when the
// check failed: the same caption, text, type and buttons.
ToolBoxSpec LaunchersQuestionBox();
ToolBoxSpec LaunchersErrorBox();

class ToolBox {
public:
    explicit ToolBox(const ToolBoxSpec& spec);

    // The box once it shows (null when it did not within 15 s).
    HWND Window() const { return m_window; }
    // Waits for the tool to end; the identifier that ended the box, or
    // nothing when the box is still open after `timeoutMilliseconds`.
    std::optional<int> Result(DWORD timeoutMilliseconds = 10000);

private:
    TempFolder m_folder;
    std::wstring m_out;
    driver::RunningProcess m_process;
    HWND m_window = nullptr;
};

} // namespace test
