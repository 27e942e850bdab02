#include "tests/message/tool_box.h"

#include "launcher/string_catalog.h"
#include "launcher/string_ids.h"
#include "tests/support/files.h"

namespace test {

namespace {
// The tool reads "\n" in --text as a line break.
std::wstring Argument(const std::wstring& value)
{
    std::wstring quoted = L"\"";
    for (wchar_t ch : value)
        quoted += ch == L'\n' ? std::wstring(L"\\n") : std::wstring(1, ch);
    return quoted + L"\"";
}

std::wstring CommandLine(const std::wstring& tool, const ToolBoxSpec& spec, const std::wstring& out)
{
    std::wstring line = Argument(tool) + L" --caption " + Argument(spec.caption) + L" --text " + Argument(spec.text) +
                        L" --type " + std::to_wstring(spec.type) + L" --out " + Argument(out);
    for (const std::wstring& button : spec.buttons)
        line += L" --button " + Argument(button);
    return line;
}
} // namespace

ToolBoxSpec LaunchersQuestionBox()
{
    return {StringCatalog::GetAfterNewline(StringId::UpdateCheckTitle).ToStdString(),
            StringCatalog::Get(StringId::NewVersionText).ToStdString(),
            4,
            {L"6=Download", L"7=" + StringCatalog::Get(StringId::NoLabel).ToStdString()}};
}

ToolBoxSpec LaunchersErrorBox()
{
    return {StringCatalog::GetAfterNewline(StringId::UpdateCheckTitle).ToStdString(),
            StringCatalog::Get(StringId::ConnectionErrorText).ToStdString(),
            1,
            {L"8"}};
}

ToolBox::ToolBox(const ToolBoxSpec& spec)
    : m_folder(L"message box"), m_out(m_folder.Path() + L"result.txt"),
      m_process(WindowsPath(MESSAGE_BOX_TOOL), CommandLine(WindowsPath(MESSAGE_BOX_TOOL), spec, m_out))
{
    if (m_process.Started())
        m_window = driver::WaitForDialog(m_process.Id(), 15000);
}

std::optional<int> ToolBox::Result(DWORD timeoutMilliseconds)
{
    if (!m_process.Wait(timeoutMilliseconds))
        return std::nullopt;
    const std::optional<std::string> written = ReadWholeFile(m_out);
    if (!written || written->empty())
        return std::nullopt;
    return std::stoi(*written);
}

} // namespace test
